#include "plugin/Exports.h"

#include <cstring>

#include "PluginIdentity.h"
#include "host/BeckyMainWindow.h"
#include "plugin/ExitSequence.h"
#include "plugin/Switches.h"

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
    for (const CSwitch& item : kSwitches)
        dialog.*item.choice = g_endingInfo.*item.setting;
    if (dialog.DoModal(main) != 1)
        return;
    for (const CSwitch& item : kSwitches)
        g_endingInfo.*item.setting = dialog.*item.choice;
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
