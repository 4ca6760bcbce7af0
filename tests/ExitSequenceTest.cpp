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
        return CShellRecorder::CallsFor(m_host.Handle(), NIM_DELETE);
    }

    // The frames the shell took after the first.
    static int ShownFrames(HWND dialog)
    {
        std::vector<CShellCall> calls = CShellRecorder::CallsFor(dialog, NIM_MODIFY);
        return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                              [](const CShellCall& call) { return call.result; }));
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

namespace {

// One exit a row: the switches and the host's own icons, and what the user then sees. The
// host's icon is searched for at 128, then from 0 to 255, and taken away where it is found.
struct CExitCase {
    const char* name;
    CSwitchValues switches;
    std::vector<UINT> hostIcons;
    bool dialogShown, hostShown, topMost;
    UINT hostIconFound;
    size_t searches;
};
const UINT kNotFound = ~0u;

const CExitCase kExitCases[] = {
    // name, switches, host icons, dialog shown, host shown, top-most, host icon found, searches
    {"AllSwitchesOffLeaveAHiddenDialogAndNothingElse", {0, 0, 0, 0, 0}, {128},
     false, true, false, kNotFound, 0},
    {"DialogOffIconOnPutsTheIconUnderTheHiddenWindow", {0, 0, 1, 0, 1}, {},
     false, false, false, kNotFound, 257},
    {"TopMostHoldsFromTheFirstAppearance", {1, 1, 0, 0, 1}, {}, true, false, true, kNotFound, 0},
    {"TopMostAppliesToAHiddenDialogToo", {0, 1, 0, 0, 1}, {}, false, false, true, kNotFound, 0},
    {"HideOffLeavesTheHostVisible", {1, 0, 0, 0, 0}, {}, true, true, false, kNotFound, 0},
    {"HostIconSearchStopsAtTheFirstSuccess", {0, 0, 1, 0, 0}, {5, 128},
     false, true, false, 128, 1},
    {"HostIconSearchFindsALowerId", {0, 0, 1, 0, 0}, {77}, false, true, false, 77, 79},
    {"HostIconSearchGivesUpAfter257Tries", {0, 0, 1, 0, 0}, {300},
     false, true, false, kNotFound, 257},
};

class ExitCases : public ExitSequence, public ::testing::WithParamInterface<CExitCase> {};

}  // namespace

TEST_P(ExitCases, SeenAfterTheExit)
{
    const CExitCase& row = GetParam();
    for (UINT id : row.hostIcons)
        ASSERT_TRUE(m_host.AddTrayIcon(id));
    Load(row.switches);
    HWND dialog = Exit();
    ASSERT_NE(nullptr, dialog) << "the window is made whatever the switches";
    EXPECT_EQ(row.dialogShown, !!IsWindowVisible(dialog));
    EXPECT_EQ(row.hostShown, !!IsWindowVisible(m_host.Handle()));
    EXPECT_EQ(row.topMost, !!(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST));
    EXPECT_EQ(!!row.switches.icon, TrayIconExists(dialog, 128)) << "the plug-in's own icon";
    if (!row.switches.icon) {
        EXPECT_TRUE(CShellRecorder::Calls().empty());
    }
    for (UINT id : row.hostIcons)
        EXPECT_EQ(id != row.hostIconFound, m_host.HasTrayIcon(id)) << "host icon " << id;
    std::vector<CShellCall> deletes = DeletesOfHostIcons();
    ASSERT_EQ(row.searches, deletes.size());
    for (size_t i = 0; i < deletes.size(); ++i)
        EXPECT_EQ(i == 0 ? 128u : i - 1, deletes[i].id) << "search " << i;
}

INSTANTIATE_TEST_SUITE_P(Rows, ExitCases, ::testing::ValuesIn(kExitCases), RowName<CExitCase>);

TEST_F(ExitSequence, RefusedAddLeavesTheHostIconAndIsRetriedEachFrame)
{
    ASSERT_TRUE(m_host.AddTrayIcon(128));
    CShellRecorder::RefuseAdds(true);
    Load(kDefaultSwitches);
    HWND dialog = Exit();
    EXPECT_TRUE(WaitFor([dialog] { return CShellRecorder::CallsFor(dialog, NIM_ADD).size() >= 4; }))
        << "one add in the exit, then one each frame";
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
    EXPECT_EQ(1u, CShellRecorder::CallsFor(dialog, NIM_ADD).size())
        << "added once; the shell refuses an ID it has";
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
