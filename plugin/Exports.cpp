#include "plugin/Exports.h"

#include <cstring>

namespace {

void CopyText(char* field, const char* text)
{
    std::memcpy(field, text, std::strlen(text) + 1);
}

}  // namespace

extern "C" int WINAPI BKC_OnExit()
{
    // The ending display is not built yet: the exit does nothing.
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
