#include <windows.h>

#include "host/HostApiTable.h"
#include "settings/ModuleInstance.h"
#include "settings/SettingsLocation.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    SetModuleInstance(instance);
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        if (!BindHostApi())
            return FALSE;
        StartUpSettings();
        return TRUE;
    case DLL_PROCESS_DETACH:
        InvalidateRect(GetDesktopWindow(), nullptr, TRUE);
        return TRUE;
    default:
        return TRUE;
    }
}
