#include "plugin/Exports.h"

#include <cstring>

#include "plugin/ExitSequence.h"

namespace {

void CopyText(char* field, const char* text)
{
    std::memcpy(field, text, std::strlen(text) + 1);
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
    // The setup dialog is not built yet: setup does nothing.
    return 1;
}

extern "C" int WINAPI BKC_OnPlugInInfo(CPluginInfoRecord* record)
{
    if (!record)
        return 0;
    CopyText(record->name, "Tolvanix");
    CopyText(record->vendor, "Tolvanix developers");
    CopyText(record->version, "1.6");
    CopyText(record->description, "Becky! ending dialog and tasktray icon.");
    return 0;
}
