// The exit as the host runs it: the real DLL, a host window with a status bar and its own
// tray icon, and the shell calls recorded. Each test runs in a process of its own, since a
// module that has shown its ending dialog stays loaded for the life of the process.
#include <gtest/gtest.h>

#include <algorithm>

#include "standin/Messages.h"
#include "standin/StandInHost.h"
#include "tests/PluginHostTest.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

class ExitSequence : public CPluginHostTest {
protected:
    // Puts the switches where the plug-in reads them, then loads it.
    void Load(const CSwitchValues& switches) { LoadWithSettings(SettingsFileText(switches)); }

    // Runs the exit and returns the ending dialog it made.
    HWND Exit()
    {
        std::vector<HWND> before = EndingDialogs();
        EXPECT_EQ(0, m_plugin->OnExit());
        for (HWND dialog : EndingDialogs()) {
            if (std::find(before.begin(), before.end(), dialog) == before.end())
                return dialog;
        }
        return nullptr;
    }

    std::vector<CShellCall> DeletesOfHostIcons() const
    {
        std::vector<CShellCall> deletes;
        for (const CShellCall& call : CShellRecorder::CallsFor(m_host.Handle())) {
            if (call.message == NIM_DELETE)
                deletes.push_back(call);
        }
        return deletes;
    }

    static int CallsOf(HWND dialog, DWORD message)
    {
        std::vector<CShellCall> calls = CShellRecorder::CallsFor(dialog);
        return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                              [message](const CShellCall& call) {
                                                  return call.message == message;
                                              }));
    }

    // The frames the shell took after the first.
    static int ShownFrames(HWND dialog)
    {
        std::vector<CShellCall> calls = CShellRecorder::CallsFor(dialog);
        return static_cast<int>(
            std::count_if(calls.begin(), calls.end(), [](const CShellCall& call) {
                return call.message == NIM_MODIFY && call.result;
            }));
    }

    int FrameOf(HICON icon) const
    {
        for (int frame : {105, 107, 108, 109, 110}) {
            if (icon == LoadIconA(m_plugin->Module(), MAKEINTRESOURCEA(frame)))
                return frame;
        }
        return 0;
    }
};

}  // namespace

TEST_F(ExitSequence, DefaultsHideTheHostShowTheDialogAndSwapTheTrayIcon)
{
    ASSERT_TRUE(m_host.AddTrayIcon(128));
    Load(kDefaultSwitches);
    HWND dialog = Exit();
    ASSERT_NE(nullptr, dialog);

    EXPECT_FALSE(IsWindowVisible(m_host.Handle())) << "the host window is hidden";
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(nullptr, GetWindow(dialog, GW_OWNER)) << "over the desktop, not the host";
    RECT rect;
    GetWindowRect(dialog, &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), GetCursor());
    EXPECT_FALSE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);

    std::vector<CShellCall> own = CShellRecorder::CallsFor(dialog);
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), own.front().message);
    EXPECT_EQ(128u, own.front().id);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), own.front().flags);
    EXPECT_EQ(static_cast<UINT>(WM_USER), own.front().callbackMessage);
    EXPECT_EQ("Becky! Ver.2 Ending...", own.front().tip);
    EXPECT_EQ(105, FrameOf(own.front().icon));
    EXPECT_TRUE(own.front().result);

    std::vector<CShellCall> deletes = DeletesOfHostIcons();
    ASSERT_EQ(1u, deletes.size()) << "found at the first try";
    EXPECT_EQ(128u, deletes.front().id);
    EXPECT_FALSE(m_host.HasTrayIcon(128));
    EXPECT_TRUE(TrayIconExists(dialog, 128)) << "the plug-in's own icon stays";
}

TEST_F(ExitSequence, AllSwitchesOffLeaveAHiddenDialogAndNothingElse)
{
    ASSERT_TRUE(m_host.AddTrayIcon(128));
    Load({0, 0, 0, 0, 0});
    HWND dialog = Exit();
    ASSERT_NE(nullptr, dialog) << "the window is made all the same";
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_TRUE(IsWindowVisible(m_host.Handle()));
    EXPECT_TRUE(CShellRecorder::Calls().empty());
    EXPECT_TRUE(m_host.HasTrayIcon(128));
}

TEST_F(ExitSequence, DialogOffIconOnPutsTheIconUnderTheHiddenWindow)
{
    Load({0, 0, 1, 0, 1});
    HWND dialog = Exit();
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_TRUE(TrayIconExists(dialog, 128));
}

TEST_F(ExitSequence, TopMostHoldsFromTheFirstAppearance)
{
    Load({1, 1, 0, 0, 1});
    HWND shown = Exit();
    ASSERT_NE(nullptr, shown);
    EXPECT_TRUE(GetWindowLongA(shown, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(ExitSequence, TopMostAppliesToAHiddenDialogToo)
{
    Load({0, 1, 0, 0, 1});
    HWND hidden = Exit();
    ASSERT_NE(nullptr, hidden);
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_TRUE(GetWindowLongA(hidden, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(ExitSequence, HideOffLeavesTheHostVisible)
{
    Load({1, 0, 0, 0, 0});
    HWND dialog = Exit();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(IsWindowVisible(m_host.Handle()));
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(ExitSequence, HostIconSearchStopsAtTheFirstSuccess)
{
    ASSERT_TRUE(m_host.AddTrayIcon(5));
    ASSERT_TRUE(m_host.AddTrayIcon(128));
    Load({0, 0, 1, 0, 0});
    Exit();
    EXPECT_FALSE(m_host.HasTrayIcon(128));
    EXPECT_TRUE(m_host.HasTrayIcon(5));
    EXPECT_EQ(1u, DeletesOfHostIcons().size());
}

TEST_F(ExitSequence, HostIconSearchFindsALowerId)
{
    ASSERT_TRUE(m_host.AddTrayIcon(77));
    Load({0, 0, 1, 0, 0});
    Exit();
    EXPECT_FALSE(m_host.HasTrayIcon(77));
    std::vector<CShellCall> deletes = DeletesOfHostIcons();
    ASSERT_EQ(79u, deletes.size()) << "128, then 0 to 77";
    EXPECT_EQ(77u, deletes.back().id);
}

TEST_F(ExitSequence, HostIconSearchGivesUpAfter257Tries)
{
    ASSERT_TRUE(m_host.AddTrayIcon(300));
    Load({0, 0, 1, 0, 0});
    Exit();
    EXPECT_TRUE(m_host.HasTrayIcon(300));
    std::vector<CShellCall> deletes = DeletesOfHostIcons();
    ASSERT_EQ(257u, deletes.size());
    EXPECT_EQ(128u, deletes.front().id);
    EXPECT_EQ(0u, deletes[1].id);
    EXPECT_EQ(255u, deletes.back().id);
}

TEST_F(ExitSequence, RefusedAddLeavesTheHostIconAndIsRetriedEachFrame)
{
    ASSERT_TRUE(m_host.AddTrayIcon(128));
    CShellRecorder::RefuseAdds(true);
    Load(kDefaultSwitches);
    HWND dialog = Exit();
    EXPECT_TRUE(WaitFor([dialog] {
        std::vector<CShellCall> calls = CShellRecorder::CallsFor(dialog);
        return std::count_if(calls.begin(), calls.end(),
                             [](const CShellCall& call) { return call.message == NIM_ADD; }) >= 4;
    })) << "one add in the exit, then one each frame";
    CShellRecorder::RefuseAdds(false);
    EXPECT_TRUE(m_host.HasTrayIcon(128));
    EXPECT_TRUE(DeletesOfHostIcons().empty());
    EXPECT_TRUE(WaitFor([dialog] { return TrayIconExists(dialog, 128); }))
        << "a later frame brings it in";
}

TEST_F(ExitSequence, AddThatTheTrayAnsweredLateCountsOnceAModifySucceeds)
{
    ASSERT_TRUE(m_host.AddTrayIcon(128));
    CShellRecorder::AnswerAddsLate(true);
    Load(kDefaultSwitches);
    HWND dialog = Exit();
    EXPECT_TRUE(WaitFor([this, dialog] { return ShownFrames(dialog) >= 3; }))
        << "the icon froze at its first frame";
    CShellRecorder::AnswerAddsLate(false);
    EXPECT_EQ(1, CallsOf(dialog, NIM_ADD)) << "added once; the shell refuses an ID it has";
    EXPECT_FALSE(m_host.HasTrayIcon(128)) << "the host's own icon gives way";
}

TEST_F(ExitSequence, FailedPauseGoesOnAnimating)
{
    Load(kDefaultSwitches);
    CShellRecorder::FailTimedWaits(1);
    HWND dialog = Exit();
    EXPECT_TRUE(WaitFor([this, dialog] { return ShownFrames(dialog) >= 3; }))
        << "one failed wait ended the animation";
}

TEST_F(ExitSequence, FramesSwingForwardAndBack)
{
    Load(kDefaultSwitches);
    HWND dialog = Exit();
    ASSERT_TRUE(WaitFor([dialog] { return CShellRecorder::CallsFor(dialog).size() >= 17; }, 10000));
    std::vector<CShellCall> calls = CShellRecorder::CallsFor(dialog);
    // The still frame is added first and shown for one pause like every other frame.
    const int expected[] = {105, 107, 108, 109, 110, 109, 108, 107, 105,
                            107, 108, 109, 110, 109, 108, 107, 105};
    for (size_t i = 0; i < 17; ++i) {
        EXPECT_EQ(expected[i], FrameOf(calls[i].icon)) << "call " << i;
        EXPECT_EQ(static_cast<DWORD>(i == 0 ? NIM_ADD : NIM_MODIFY), calls[i].message);
    }
}

TEST_F(ExitSequence, StillIconIsAddedOnceAndNeverModified)
{
    Load({1, 0, 1, 0, 1});
    const int threads = ThreadCount();
    HWND dialog = Exit();
    EXPECT_EQ(threads, SettledThreadCount(threads)) << "no animation thread";
    std::vector<CShellCall> calls = CShellRecorder::CallsFor(dialog);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), calls.front().message);
    EXPECT_EQ(105, FrameOf(calls.front().icon));
}

TEST_F(ExitSequence, SecondExitLeavesOneDialogAndOneIcon)
{
    Load(kDefaultSwitches);
    HWND first = Exit();
    ASSERT_NE(nullptr, first);
    int threads = ThreadCount();
    HWND second = Exit();
    ASSERT_NE(nullptr, second);
    EXPECT_FALSE(IsWindow(first)) << "the earlier window went with its object";
    EXPECT_EQ(1u, EndingDialogs().size());
    EXPECT_FALSE(TrayIconExists(first, 128));
    EXPECT_TRUE(TrayIconExists(second, 128));
    EXPECT_EQ(threads, SettledThreadCount(threads)) << "the earlier animation thread has ended";
    // The dialog base's paths, reached through the later object: they end the dialog, and the
    // plug-in still never destroys its window.
    SendMessageA(second, WM_CLOSE, 0, 0);
    SendMessageA(second, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindow(second));
    EXPECT_FALSE(IsWindowVisible(second));
    EXPECT_TRUE(TrayIconExists(second, 128)) << "the icon stays under it";
}

TEST_F(ExitSequence, UnloadWhileAnimatingKeepsTheCodeOfItsWindow)
{
    Load(kDefaultSwitches);
    HWND dialog = Exit();
    ASSERT_NE(nullptr, dialog);
    HMODULE module = m_plugin->Module();
    m_plugin->Unload();
    EXPECT_EQ(module, GetModuleHandleA((m_temp.Path("tools\\Tolvanix.dll")).c_str()))
        << "the module stays while its window lives";
    SendMessageA(dialog, WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageA(dialog, WM_ACTIVATE, WA_ACTIVE, 0);
    SendMessageA(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog), 0);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    standin::DispatchQueuedMessages();
    EXPECT_TRUE(IsWindow(dialog));
}

TEST_F(ExitSequence, HostWithoutMainWindowStillGetsDialogAndIcon)
{
    standin::SetMainWindow(nullptr);
    Load(kDefaultSwitches);
    HWND dialog = Exit();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(IsWindowVisible(m_host.Handle()));
    EXPECT_TRUE(TrayIconExists(dialog, 128));
    EXPECT_TRUE(DeletesOfHostIcons().empty());
}

TEST_F(ExitSequence, JapaneseDialogAndTipCodePage932)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the ANSI code page 932";
    Load(kDefaultSwitches);
    HWND dialog = Exit();
    ASSERT_NE(nullptr, dialog);
    // "ＭＳ Ｐゴシック" in code page 932: the template's face stays the dialog's own.
    EXPECT_STREQ(cp932::kTemplateFace,
                 FontOf(dialog).lfFaceName);
    HWND text = FindWindowExA(dialog, nullptr, "Static", cp932::kTrayTip);
    ASSERT_NE(nullptr, text) << "the Japanese template's text";
    EXPECT_STREQ("MS UI Gothic", FontOf(text).lfFaceName) << "the controls get the UI face";

    std::vector<CShellCall> own = CShellRecorder::CallsFor(dialog);
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(cp932::kTrayTip, own.front().tip)
        << "the Japanese tip, whole";
}
