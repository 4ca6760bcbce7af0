#pragma once

#include <memory>

#include "ui/ending/EndingDlg.h"
#include "ui/ending/EndingIcon.h"

// Both defined with the other process-wide objects, in plugin/ProcessObjects.cpp.
extern std::unique_ptr<CEndingIcon> g_endingIcon;
extern std::unique_ptr<CEndingDlg> g_endingDlg;

// What the user sees while the host saves and closes, as the switches say.
void RunExitSequence();

// Removes the host's own tray icon: ID 128 first, then 0 to 255; 1 when one went.
int RemoveHostTrayIcon();
