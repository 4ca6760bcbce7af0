#include <windows.h>

#include "host/HostApiTable.h"
#include "settings/ModuleInstance.h"
#include "settings/SettingsLocation.h"
#include "ui/ending/EndingIcon.h"

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
        InvalidateRect(GetDesktopWindow(), nullptr, TRUE);
        // A non-null reserved pointer: the whole process is ending, its other threads gone.
        if (reserved)
            CEndingIcon::NoteProcessEnding();
        return TRUE;
    default:
        return TRUE;
    }
}
