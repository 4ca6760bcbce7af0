#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "settings/ModuleInstance.h"
#include "tests/PluginHost.h"
#include "tests/TestSupport.h"
#include "tests/ThisProgramTest.h"
#include "ui/ending/EndingDlg.h"
#include "ui/ending/EndingIcon.h"

using namespace testing_support;

namespace {

// An ending dialog to hang icons under, and the shell calls watched.
class EndingIcon : public CThisProgramTest {
protected:
    void SetUp() override
    {
        CThisProgramTest::SetUp();
        ASSERT_EQ(1, m_dialog.Create());
        m_threads = ThreadCount();
    }
    void TearDown() override
    {
        DestroyWindow(m_dialog.m_hWnd);
        CThisProgramTest::TearDown();
    }

    std::unique_ptr<CEndingIcon> Started(const CEndingDlg& dialog, int animation = 1)
    {
        std::unique_ptr<CEndingIcon> icon(new CEndingIcon);
        icon->m_animation = animation;
        EXPECT_EQ(1, icon->Start(dialog));
        return icon;
    }

    // The frames shown (modifies) under the window so far.
    static size_t FramesOf(HWND window)
    {
        return CShellRecorder::CallsFor(window, NIM_MODIFY).size();
    }

    // Whether the last tray call under the window removed its icon: no frame came after it.
    static bool EndedWithTheRemoval(HWND window)
    {
        std::vector<CShellCall> calls = CShellRecorder::CallsFor(window);
        return !calls.empty() && calls.back().message == NIM_DELETE && calls.back().result;
    }

    CEndingDlg m_dialog;
    int m_threads = 0;
};

}  // namespace

TEST_F(EndingIcon, DeletingAnAnimatingIconEndsItsThreadAndRemovesIt)
{
    std::unique_ptr<CEndingIcon> icon = Started(m_dialog);
    ASSERT_TRUE(WaitFor([this] { return FramesOf(m_dialog.m_hWnd) >= 2; })) << "it animates";
    icon.reset();
    EXPECT_EQ(m_threads, SettledThreadCount(m_threads)) << "its thread has ended";
    EXPECT_FALSE(TrayIconExists(m_dialog.m_hWnd, 128));
    EXPECT_TRUE(EndedWithTheRemoval(m_dialog.m_hWnd)) << "no frame after the stop";
}

TEST_F(EndingIcon, StopBeforeTheThreadBeginsIsNotUndone)
{
    for (int round = 0; round < 20; ++round) {
        Started(m_dialog).reset();
        EXPECT_TRUE(EndedWithTheRemoval(m_dialog.m_hWnd)) << "round " << round;
        EXPECT_FALSE(TrayIconExists(m_dialog.m_hWnd, 128)) << "round " << round;
    }
    EXPECT_EQ(m_threads, SettledThreadCount(m_threads));
    EXPECT_TRUE(EndedWithTheRemoval(m_dialog.m_hWnd)) << "nor after the threads ended";
}

TEST_F(EndingIcon, OneIconsStartDoesNotKeepAnothersThreadAlive)
{
    CEndingDlg other;
    ASSERT_EQ(1, other.Create());
    std::unique_ptr<CEndingIcon> first = Started(m_dialog);
    std::unique_ptr<CEndingIcon> second = Started(other);
    first.reset();
    const size_t framesAtStop = FramesOf(other.m_hWnd);
    EXPECT_TRUE(WaitFor([&] { return FramesOf(other.m_hWnd) >= framesAtStop + 2; }))
        << "the other icon goes on";
    EXPECT_TRUE(EndedWithTheRemoval(m_dialog.m_hWnd)) << "the stopped one shows nothing more";
    second.reset();
    EXPECT_EQ(m_threads, SettledThreadCount(m_threads));
    DestroyWindow(other.m_hWnd);
}

TEST_F(EndingIcon, WithoutLoadableFramesTheThreadEndsInsteadOfSpinning)
{
    // A module without the icon resources: every frame fails to load.
    SetModuleInstance(GetModuleHandleA("kernel32.dll"));
    const double cpuBefore = ProcessCpuMs();
    const double began = NowMs();
    std::unique_ptr<CEndingIcon> icon(new CEndingIcon);
    icon->Start(m_dialog);
    EXPECT_EQ(m_threads, SettledThreadCount(m_threads)) << "the thread ended by itself";
    // A spinning thread takes a whole processor for all the time that passes; an emulated
    // machine takes more than 100 ms for the start alone, on both of its processors.
    const double passed = NowMs() - began;
    EXPECT_LT(ProcessCpuMs() - cpuBefore, std::max(100.0, passed * 3 / 4))
        << "CPU time in " << passed << " ms";
}

TEST_F(EndingIcon, StillIconStartsNoThread)
{
    std::unique_ptr<CEndingIcon> icon = Started(m_dialog, 0);
    EXPECT_EQ(0u, icon->m_frameCount);
    EXPECT_EQ(m_threads, SettledThreadCount(m_threads));
    icon.reset();
    EXPECT_FALSE(TrayIconExists(m_dialog.m_hWnd, 128));
}

TEST_F(EndingIcon, NeverStartedIconSendsNothing)
{
    { CEndingIcon icon; }
    EXPECT_TRUE(CShellRecorder::CallsFor(m_dialog.m_hWnd).empty());
}

TEST_F(EndingIcon, FiveHundredStartsAndStopsLeaveNothingBehind)
{
    DWORD handles = 0;
    for (int round = 0; round < 500; ++round) {
        std::unique_ptr<CEndingIcon> icon = Started(m_dialog);
        // Stops at varying points of the thread's start.
        Sleep(round % 3);
        if (round == 10)
            GetProcessHandleCount(GetCurrentProcess(), &handles);
    }
    DWORD handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_LE(handlesAfter, handles + 5) << "no handle growth";
    EXPECT_EQ(m_threads, SettledThreadCount(m_threads)) << "no thread left";
    EXPECT_FALSE(TrayIconExists(m_dialog.m_hWnd, 128));
}
