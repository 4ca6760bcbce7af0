#pragma once

#include <windows.h>

// The host's plug-in information record: four texts at fixed offsets.
struct CPluginInfoRecord {
    char name[80];
    char vendor[80];
    char version[80];
    char description[80];  // the host's field may be longer; 40 bytes are written
};

extern "C" {
int WINAPI BKC_OnExit();
int WINAPI BKC_OnPlugInSetup(LONG unused);
int WINAPI BKC_OnPlugInInfo(CPluginInfoRecord* record);
}
