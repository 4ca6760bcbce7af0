#pragma once

#include <string>

// The four parts of a path, each cut to at most 255 bytes (folder, title, extension).
struct CPathParts {
    std::string drive;      // "D:" or empty
    std::string folder;     // "\Tools\" with its trailing separator, or empty
    std::string title;      // "Tolvanix"
    std::string extension;  // ".dll" with its dot, or empty
};

// True when something that is not a folder exists at the path.
bool FileExists(const std::string& path);

// Makes sure the folder exists, creating missing parents first.
bool CreateFolderChain(const std::string& folder);

// Splits a path in the ANSI code page: a trail byte never counts as a separator or a dot.
CPathParts SplitPath(const std::string& path);
