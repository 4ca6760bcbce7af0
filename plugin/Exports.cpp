#include "plugin/Exports.h"

#include <string.h>

#include "host/BeckyMainWindow.h"
#include "plugin/ExitSequence.h"
#include "resources/PluginIdentity.h"
#include "settings/SettingsLocation.h"
#include "ui/ending/SetupDlg.h"

namespace {

// A text that does not fit its field fails the build instead of overrunning the host's record.
template <size_t FieldBytes, size_t TextBytes>
void CopyText(char (&field)[FieldBytes], const char (&text)[TextBytes])
{
    static_assert(TextBytes <= FieldBytes, "the text fits its field, terminator included");
    memcpy(field, text, TextBytes);
}

// Edits the switches over the host's main window; only OK changes and saves them.
void RunSetup()
{
    CBeckyMainWindow* main = GetMainWindow();
    if (!main)
        return;
    // The start could not read the file (a share not reconnected yet): it may be back now.
    if (!g_endingInfo.m_holdsUsersValues)
        StartUpSettings();
    CSetupDlg dialog;
    dialog.CopyFrom(g_endingInfo);
    if (dialog.DoModal(main) != IDOK)
        return;
    const CEndingInfo before = g_endingInfo;
    dialog.CopyTo(g_endingInfo);
    g_endingInfo.SaveEdit(before);
}

}  // namespace

extern "C" int WINAPI BKC_OnExit()
{
    RunExitSequence();
    return 0;
}

extern "C" int WINAPI BKC_OnPlugInSetup(LONG)
{
    RunSetup();
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
