#include <gtest/gtest.h>

#include <string>

#include "resources/ResourceIds.h"
#include "settings/ModuleInstance.h"
#include "standin/TemplateDialog.h"
#include "tests/PluginHost.h"
#include "tests/ThisProgramTest.h"
#include "ui/framework/UiGothicDialog.h"

namespace {


// Queues the given commands for itself once initialised, so that a modal run ends by itself.
class CScriptedDialog : public CUiGothicDialog {
public:
    int OnInitDialog() override
    {
        ++initialised;
        for (const MSG& message : script)
            PostMessageA(m_hWnd, message.message, message.wParam, message.lParam);
        return CUiGothicDialog::OnInitDialog();
    }
    int OnCancel() override
    {
        ++cancels;
        return CUiGothicDialog::OnCancel();
    }

    void Then(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        MSG queued = {};
        queued.message = message;
        queued.wParam = wParam;
        queued.lParam = lParam;
        script.push_back(queued);
    }

    std::vector<MSG> script;
    int initialised = 0;
    int cancels = 0;
};

using DialogRun = testing_support::CThisProgramTest;
using standin::OpenOverDesktop;

INT_PTR RunSetupTemplate(CScriptedDialog& dialog)
{
    return standin::RunOverDesktop(dialog, IDD_SETUP);
}

HWND FocusedControl(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    SetFocus(control);
    return control;
}

}  // namespace

TEST_F(DialogRun, OkEndsTheModalRunWithOne)
{
    CScriptedDialog dialog;
    dialog.Then(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    EXPECT_EQ(1, RunSetupTemplate(dialog));
    EXPECT_EQ(1, dialog.initialised);
    EXPECT_EQ(nullptr, dialog.m_hWnd) << "the window is gone and unbound";
}

TEST_F(DialogRun, CancelAndCloseEndItWithTwo)
{
    CScriptedDialog cancelled;
    cancelled.Then(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    EXPECT_EQ(2, RunSetupTemplate(cancelled));

    CScriptedDialog closed;
    closed.Then(WM_CLOSE);
    EXPECT_EQ(2, RunSetupTemplate(closed));
    EXPECT_EQ(1, closed.cancels) << "closing goes through the derived OnCancel";
}

TEST_F(DialogRun, OkWithANotificationCodeIsNotOk)
{
    CScriptedDialog dialog;
    dialog.Then(WM_COMMAND, MAKEWPARAM(IDOK, 1));
    dialog.Then(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    EXPECT_EQ(2, RunSetupTemplate(dialog));
}

TEST_F(DialogRun, ItCanRunAgainAfterItEnded)
{
    CScriptedDialog dialog;
    dialog.Then(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    EXPECT_EQ(1, RunSetupTemplate(dialog));
    EXPECT_EQ(1, RunSetupTemplate(dialog));
    EXPECT_EQ(2, dialog.initialised);
}

TEST_F(DialogRun, ModelessDialogIsMadeOnce)
{
    CScriptedDialog dialog;
    ASSERT_EQ(1, OpenOverDesktop(dialog, IDD_ENDING));
    HWND window = dialog.m_hWnd;
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(&dialog, CWindow::Lookup(window));
    EXPECT_EQ(1, dialog.initialised);
    EXPECT_FALSE(IsWindowVisible(window)) << "made hidden";
    EXPECT_EQ(0, OpenOverDesktop(dialog, IDD_ENDING));
    EXPECT_EQ(window, dialog.m_hWnd);
    DestroyWindow(window);
    EXPECT_EQ(nullptr, CWindow::Lookup(window));
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST_F(DialogRun, MissingTemplateMakesNothing)
{
    CScriptedDialog dialog;
    EXPECT_EQ(0, OpenOverDesktop(dialog, 4711));
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    INT_PTR result = standin::RunOverDesktop(dialog, 4711);
    EXPECT_TRUE(result == 0 || result == -1) << result;
}

TEST_F(DialogRun, DialogReplacesAPlainWrapperOfItsHandle)
{
    // A plain wrapper made for the handle before the dialog's first message reaches it.
    CScriptedDialog dialog;
    ASSERT_EQ(1, OpenOverDesktop(dialog, IDD_ENDING));
    HWND window = dialog.m_hWnd;
    CWindow plain(window);
    plain.Register();
    dialog.m_hWnd = nullptr;
    CDialog::DialogProc(window, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&dialog));
    EXPECT_EQ(&dialog, CWindow::Lookup(window));
    EXPECT_EQ(window, dialog.m_hWnd);
    EXPECT_EQ(2, dialog.initialised);
    DestroyWindow(window);
}

TEST_F(DialogRun, FocusComesBackAfterDeactivation)
{
    CScriptedDialog dialog;
    ASSERT_EQ(1, OpenOverDesktop(dialog, IDD_SETUP));
    HWND window = dialog.m_hWnd;
    ShowWindow(window, SW_SHOW);

    SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
    HWND before = FocusedControl(window, 1000);
    EXPECT_EQ(before, GetFocus()) << "activation before any deactivation leaves the focus";

    HWND saved = FocusedControl(window, 1001);
    SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(saved, dialog.m_savedFocus);
    FocusedControl(window, 1003);
    SendMessageA(window, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(saved, GetFocus());
    FocusedControl(window, 1003);
    SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(saved, GetFocus());
    DestroyWindow(window);
}

TEST_F(DialogRun, ControlWrappersAreMadeOncePerControl)
{
    CScriptedDialog dialog;
    ASSERT_EQ(1, OpenOverDesktop(dialog, IDD_SETUP));
    CWindow* box = dialog.GetDlgItem(1000);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(box, dialog.GetDlgItem(1000));
    EXPECT_EQ(nullptr, dialog.GetDlgItem(4711));
    EXPECT_EQ(1u, dialog.m_controls.Count());
    EXPECT_EQ(nullptr, CWindow::Lookup(box->m_hWnd)) << "control wrappers are not registered";
    DestroyWindow(dialog.m_hWnd);
}

TEST_F(DialogRun, SetupCaptionFollowsTheLocale)
{
    CScriptedDialog dialog;
    ASSERT_EQ(1, OpenOverDesktop(dialog, IDD_SETUP));
    if (GetACP() == 932)
        EXPECT_EQ(testing_support::cp932::kSetupCaption, dialog.GetWindowText());
    else
        EXPECT_EQ("Tolvanix Setup", dialog.GetWindowText());
    DestroyWindow(dialog.m_hWnd);
}

TEST_F(DialogRun, InitialisationWithoutAnObjectIsIgnored)
{
    testing_support::CTestWindow window;
    EXPECT_EQ(0, CDialog::DialogProc(window.Handle(), WM_INITDIALOG, 0, 0));
    EXPECT_EQ(nullptr, CWindow::Lookup(window.Handle()));
}
