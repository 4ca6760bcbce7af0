// The platform calls the plug-in's start-up cannot do without, and nothing else: one attribute
// query and five profile reads of its settings file, found in the host's data folder under the
// name make bench gives the copy it loads. The floor of the plug-in's load time.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    using DataFolder = LPCSTR(WINAPI*)();
    auto dataFolder = reinterpret_cast<DataFolder>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "BKA_GetDataFolder")));
    if (!dataFolder)
        return TRUE;
    char path[MAX_PATH];
    lstrcpynA(path, dataFolder(), MAX_PATH - 32);
    lstrcatA(path, "Plugins\\module.ini");
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return TRUE;
    const char* const keys[] = {"EndingDialog", "EndingDialogTopMost", "EndingIcon",
                                "EndingIconAnimation", "HideBecky"};
    for (const char* key : keys)
        GetPrivateProfileIntA("Tolvanix", key, 0, path);
    return TRUE;
}
