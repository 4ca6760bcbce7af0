#pragma once

#include <windows.h>

// The stand-in for the host executable: whatever links this exports the host's 54 API names.
// The two entries the plug-in calls answer with what the test or the demo chose.
namespace standin {

void SetMainWindow(HWND window);
// The folder must end with a backslash; null makes the host report no data folder.
void SetDataFolder(const char* folder);
// How many times the plug-in asked for the host's window handles.
int WindowHandleRequests();

}  // namespace standin
