#include "plugin/Exports.h"

#include <cstring>

#include "PluginIdentity.h"
#include "host/BeckyMainWindow.h"
#include "plugin/ExitSequence.h"
#include "settings/EndingInfo.h"
#include "ui/ending/SetupDlg.h"

namespace {

void CopyText(char* field, const char* text)
{
    std::memcpy(field, text, std::strlen(text) + 1);
}

// Edits the switches over the host's main window; only OK changes and saves them.
void RunSetup()
{
    CBeckyMainWindow* main = GetMainWindow();
    if (!main)
        return;
    CSetupDlg dialog;
    dialog.m_endingDialog = g_endingInfo.EndingDialog;
    dialog.m_endingDialogTopMost = g_endingInfo.EndingDialogTopMost;
    dialog.m_endingIcon = g_endingInfo.EndingIcon;
    dialog.m_endingIconAnimation = g_endingInfo.EndingIconAnimation;
    dialog.m_hideBecky = g_endingInfo.HideBecky;
    if (dialog.DoModal(main) != 1)
        return;
    g_endingInfo.EndingDialog = dialog.m_endingDialog;
    g_endingInfo.EndingDialogTopMost = dialog.m_endingDialogTopMost;
    g_endingInfo.EndingIcon = dialog.m_endingIcon;
    g_endingInfo.EndingIconAnimation = dialog.m_endingIconAnimation;
    g_endingInfo.HideBecky = dialog.m_hideBecky;
    g_endingInfo.Save();
}

}  // namespace

extern "C" int WINAPI BKC_OnExit()
{
    // Nothing may be thrown back into the host.
    try {
        RunExitSequence();
    } catch (...) {
    }
    return 0;
}

extern "C" int WINAPI BKC_OnPlugInSetup(LONG)
{
    try {
        RunSetup();
    } catch (...) {
    }
    return 1;
}

extern "C" int WINAPI BKC_OnPlugInInfo(CPluginInfoRecord* record)
{
    if (!record)
        return 0;
    CopyText(record->name, TOLVANIX_NAME);
    CopyText(record->vendor, TOLVANIX_VENDOR);
    CopyText(record->version, TOLVANIX_VERSION_TEXT);
    CopyText(record->description, TOLVANIX_DESCRIPTION);
    return 0;
}
