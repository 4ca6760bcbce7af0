#include <gtest/gtest.h>

#include "tests/PluginHost.h"
#include "tests/ThisProgramTest.h"
#include "ui/ending/Tasktray.h"
#include "ui/framework/Window.h"

using namespace testing_support;

namespace {

HICON FreshIcon()
{
    return CopyIcon(LoadIconA(nullptr, IDI_APPLICATION));
}

class Tasktray : public CThisProgramTest {
protected:
    CHostWindow m_window;
};

}  // namespace

TEST_F(Tasktray, FirstWindowBindingStays)
{
    CTasktray tray;
    CWindow first(m_window.Handle());
    CWindow second(GetDesktopWindow());
    tray.SetWindow(first, 7);
    tray.SetWindow(second, 9);
    EXPECT_EQ(m_window.Handle(), tray.m_notifyIconData.hWnd);
    EXPECT_EQ(7u, tray.m_notifyIconData.uID);
    EXPECT_EQ(0u, tray.m_notifyIconData.uFlags);
}

TEST_F(Tasktray, OwnedIconsAreReleasedOthersAreNot)
{
    HICON first = FreshIcon();
    HICON second = FreshIcon();
    {
        CTasktray tray;
        tray.SetIcon(first);
        tray.SetIcon(second);
        EXPECT_FALSE(IconIsAlive(first)) << "replaced, so released";
    }
    EXPECT_FALSE(IconIsAlive(second)) << "released with the object";
    EXPECT_TRUE(CShellRecorder::Calls().empty()) << "never added, so nothing sent";

    HICON kept = FreshIcon();
    {
        CTasktray tray;
        tray.m_ownsIcon = 0;
        tray.SetIcon(kept);
        tray.SetIcon(FreshIcon());
    }
    EXPECT_TRUE(IconIsAlive(kept));
    DestroyIcon(kept);
}

TEST_F(Tasktray, AddsThenModifiesThenDeletes)
{
    CTasktray tray;
    EXPECT_EQ(0, tray.Notify()) << "no window yet";
    EXPECT_EQ(0, tray.Delete()) << "not added";
    EXPECT_TRUE(CShellRecorder::Calls().empty());
    tray.SetWindow(CWindow(m_window.Handle()), 42);
    tray.SetIcon(FreshIcon());
    tray.SetCallbackMessage(WM_USER);
    tray.SetTip("tip");
    EXPECT_EQ(1, tray.Notify());
    EXPECT_EQ(1, tray.Notify());
    EXPECT_TRUE(TrayIconExists(m_window.Handle(), 42));
    EXPECT_EQ(1, tray.Delete());
    EXPECT_FALSE(TrayIconExists(m_window.Handle(), 42));
    std::vector<CShellCall> calls = CShellRecorder::CallsFor(m_window.Handle());
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), calls[0].message);
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), calls[1].message);
    EXPECT_EQ(static_cast<UINT>(NIF_ICON | NIF_MESSAGE | NIF_TIP), calls[1].flags);
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), calls[2].message);
}

TEST_F(Tasktray, TipsAreCutToTheShellsField)
{
    CTasktray tray;
    const std::string exact(63, 'a');
    tray.SetTip(AsText(exact));
    EXPECT_EQ(exact, tray.m_notifyIconData.szTip);
    tray.SetTip(AsText(std::string(200, 'b')));
    EXPECT_EQ(std::string(63, 'b'), tray.m_notifyIconData.szTip);
    tray.SetTip("");
    EXPECT_STREQ("", tray.m_notifyIconData.szTip);
    EXPECT_EQ(static_cast<UINT>(NIF_TIP), tray.m_notifyIconData.uFlags);
}

TEST_F(Tasktray, TipIsNotCutInsideATwoByteCharacterCodePage932)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the ANSI code page 932";
    CTasktray tray;
    // 62 single bytes, then a two-byte character that would end at byte 64.
    tray.SetTip(AsText(std::string(62, 'a') + cp932::kBackslashTrail + "tail"));
    EXPECT_EQ(std::string(62, 'a'), tray.m_notifyIconData.szTip);
    tray.SetTip(AsText(std::string(61, 'a') + cp932::kBackslashTrail + "tail"));
    EXPECT_EQ(std::string(61, 'a') + cp932::kBackslashTrail, tray.m_notifyIconData.szTip);
}

TEST_F(Tasktray, RemoveTakesAnotherWindowsIcon)
{
    ASSERT_TRUE(m_window.AddTrayIcon(3));
    EXPECT_EQ(0, CTasktray::Remove(CWindow(m_window.Handle()), 4));
    EXPECT_EQ(1, CTasktray::Remove(CWindow(m_window.Handle()), 3));
    EXPECT_FALSE(m_window.HasTrayIcon(3));
}
