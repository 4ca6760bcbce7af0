#include "plugin/ExitSequence.h"

#include <new>

#include "host/BeckyMainWindow.h"
#include "settings/EndingInfo.h"

namespace {

const UINT kHostIconId = 128;
const UINT kLastHostIconId = 255;

// From the ending dialog's window on, a window whose procedure is in this module, and the
// animation thread running its code, live until the process ends: so does the module,
// whatever the host does with its own reference.
void KeepModuleLoaded()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&KeepModuleLoaded), &module);
}

// A second exit takes the earlier display down first: its icon, then its window, so that
// no window is left whose messages would reach a deleted dialog object.
void CloseEarlierDisplay()
{
    g_endingIcon.reset();
    if (g_endingDlg && g_endingDlg->m_hWnd && IsWindow(g_endingDlg->m_hWnd))
        DestroyWindow(g_endingDlg->m_hWnd);
    g_endingDlg.reset();
}

}  // namespace

void RunExitSequence()
{
    const CEndingInfo& info = g_endingInfo;
    if (info.HideBecky) {
        if (CBeckyMainWindow* main = GetMainWindow())
            main->ShowWindow(SW_HIDE);
    }

    CloseEarlierDisplay();
    g_endingDlg.reset(new (std::nothrow) CEndingDlg);
    if (!g_endingDlg)
        return;
    g_endingDlg->m_topMost = info.EndingDialogTopMost;
    g_endingDlg->Create();
    if (!g_endingDlg->m_hWnd)
        return;
    KeepModuleLoaded();
    if (info.EndingDialog)
        g_endingDlg->Show(SW_SHOW);
    if (!info.EndingIcon)
        return;

    g_endingIcon.reset(new (std::nothrow) CEndingIcon);
    if (!g_endingIcon)
        return;
    g_endingIcon->m_animation = info.EndingIconAnimation;
    if (g_endingIcon->Start(*g_endingDlg))
        RemoveHostTrayIcon();
}

int RemoveHostTrayIcon()
{
    CBeckyMainWindow* main = GetMainWindow();
    if (!main)
        return 0;
    if (CTasktray::Remove(*main, kHostIconId))
        return 1;
    for (UINT id = 0; id <= kLastHostIconId; ++id) {
        if (CTasktray::Remove(*main, id))
            return 1;
    }
    return 0;
}
