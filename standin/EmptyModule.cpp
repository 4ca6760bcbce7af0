// A module with nothing in it: stands where a test needs a loaded module of a chosen name.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
