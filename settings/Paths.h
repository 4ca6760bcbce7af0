#pragma once

#include "base/Text.h"

// The four parts of a path, each cut to at most 255 bytes (folder, title, extension).
struct CPathParts {
    CText drive;      // "D:" or empty
    CText folder;     // "\Tools\" with its trailing separator, or empty
    CText title;      // "Tolvanix"
    CText extension;  // ".dll" with its dot, or empty
    bool cut = false;  // a part was longer than 255 bytes, and what it holds is not the path's
};

// What a path names, as far as the system can tell. Only "not found" (the file or a folder on
// its way) is nothing: a share not reconnected yet or a refused query is not known.
enum class CPathKind { kNothing, kFile, kFolder, kUnknown };
CPathKind KindOf(const CText& path);

// True when something that is not a folder exists at the path.
bool FileExists(const CText& path);

// Makes sure the folder exists, creating missing parents first.
bool CreateFolderChain(const CText& folder);

// Splits a path in the ANSI code page: a trail byte never counts as a separator or a dot.
CPathParts SplitPath(const CText& path);

// The path up to and with its last separator, never cut; empty without a separator.
CText FolderOf(const CText& path);
