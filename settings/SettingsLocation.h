#pragma once

#include "base/Text.h"

// The plug-in module's own file, its name asked for once: where both settings paths come
// from. Empty when the name cannot be known (the platform cut it, it has no form in the ANSI
// code page, or the query failed), or failed when there was no room to make it.
class CModuleFileName {
public:
    CModuleFileName();

    // Its name without folder and extension; empty when the name is not known, or its title
    // passes the platform's 255 bytes.
    CText Title() const;
    // Its folder, with its trailing separator.
    const CText& Folder() const { return m_folder; }

private:
    CText m_name;
    CText m_folder;
};

// Where the settings file lies. Each returns an empty text when the place cannot be known
// (the host gives no data folder, or an empty one, or the module's name is not known, or has
// no folder), and a failed one when there was no room to make it.
CText GetPluginDataFolder();
CText GetSettingsFilePath(const CModuleFileName& module);
CText GetOldSettingsFilePath(const CModuleFileName& module);

// Binds g_endingInfo to its file and loads it, carrying a file beside the module over once.
// Run again by the setup when the start could not read the file.
void StartUpSettings();
