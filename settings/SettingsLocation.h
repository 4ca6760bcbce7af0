#pragma once

#include "base/Text.h"

// Where the settings file lies. Each returns an empty text when the place cannot be known
// (the host gives no data folder, or an empty one, or the module's file name does not fit the
// platform's limit), and a failed one when there was no room to make it.
CText GetModuleFileTitle();
CText GetPluginDataFolder();
CText GetSettingsFilePath();
CText GetOldSettingsFilePath();

// Binds g_endingInfo to its file and loads it, carrying a file beside the module over once.
void StartUpSettings();
