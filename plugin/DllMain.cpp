#include <windows.h>

#include "host/HostApiTable.h"
#include "plugin/ExitSequence.h"
#include "settings/ModuleInstance.h"
#include "settings/SettingsLocation.h"

// C linkage, so that the runtime's start-up code calls this one and not its own empty stub.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    SetModuleInstance(instance);
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        if (!BindHostApi())
            return FALSE;
        StartUpSettings();
        return TRUE;
    case DLL_PROCESS_DETACH:
        // A non-null reserved pointer: the process is ending, and the system has ended every
        // other thread wherever it stood. An animation thread ended inside a shell or window
        // call left locks held for good: the icon goes with the process and the desktop is not
        // repainted, since either call could hang the exiting host.
        if (reserved && g_endingIcon) {
            g_endingIcon->WaitForTheThreadsEnd();
            if (g_endingIcon->ThreadEndedInsideACall()) {
                g_endingIcon->LeaveToTheProcess();
                return TRUE;
            }
        }
        InvalidateRect(GetDesktopWindow(), nullptr, TRUE);
        // Then the process-wide objects go, in the reverse order of their construction
        // (plugin/ProcessObjects.cpp): the made wrappers and the window registry first, so that
        // nothing routes to the objects destroyed after them; the ending icon last but one,
        // removing itself from the notification area.
        return TRUE;
    default:
        return TRUE;
    }
}
