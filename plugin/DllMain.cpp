#include <windows.h>

#include "host/HostApiTable.h"
#include "settings/ModuleInstance.h"
#include "settings/SettingsLocation.h"
#include "plugin/ExitSequence.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    SetModuleInstance(instance);
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        if (!BindHostApi())
            return FALSE;
        StartUpSettings();
        return TRUE;
    case DLL_PROCESS_DETACH:
        // A non-null reserved pointer: the whole process is ending, its other threads gone.
        if (reserved && !PrepareForProcessEnd())
            return TRUE;
        InvalidateRect(GetDesktopWindow(), nullptr, TRUE);
        return TRUE;
    default:
        return TRUE;
    }
}
