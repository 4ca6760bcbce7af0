#pragma once

#include <string>

// Where the settings file lies. Each returns an empty text when the place cannot be known
// (the host gives no data folder, or an empty one, or the module's file name does not fit the
// platform's limit).
std::string GetModuleFileTitle();
std::string GetPluginDataFolder();
std::string GetSettingsFilePath();
std::string GetOldSettingsFilePath();

// Binds g_endingInfo to its file and loads it, carrying a file beside the module over once.
void StartUpSettings();
