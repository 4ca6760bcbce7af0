#pragma once

#include "settings/Text.h"

// The four parts of a path, each cut to at most 255 bytes (folder, title, extension).
struct CPathParts {
    CText drive;      // "D:" or empty
    CText folder;     // "\Tools\" with its trailing separator, or empty
    CText title;      // "Tolvanix"
    CText extension;  // ".dll" with its dot, or empty
};

// True when something that is not a folder exists at the path.
bool FileExists(const CText& path);

// Makes sure the folder exists, creating missing parents first.
bool CreateFolderChain(const CText& folder);

// Splits a path in the ANSI code page: a trail byte never counts as a separator or a dot.
CPathParts SplitPath(const CText& path);
