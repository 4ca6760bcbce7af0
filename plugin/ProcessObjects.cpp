// The process-wide objects, defined together so that they are constructed in this order
// and destroyed in the reverse order when the module is unloaded.
#include "host/BeckyMainWindow.h"
#include "host/HostApiTable.h"
#include "plugin/ExitSequence.h"
#include "settings/EndingInfo.h"
#include "ui/framework/UiGothicDialog.h"
#include "ui/framework/Window.h"

CEndingInfo g_endingInfo;
std::unique_ptr<CEndingIcon> g_endingIcon;
std::unique_ptr<CEndingDlg> g_endingDlg;
std::unique_ptr<CHostApiTable> g_hostApi;

// The font faces here rather than beside their class: they are made after the host's table and
// before the window registry, as the order of construction has them.
const CText CUiGothicDialog::s_triggerFace =
    "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
const CText CUiGothicDialog::s_controlsFace = "MS UI Gothic";

CWindow::CRegistry CWindow::s_windowRegistry;
// Destroyed first: each made wrapper leaves the registry as it goes.
CWindow::CWrapperList CWindow::s_madeWindows;
