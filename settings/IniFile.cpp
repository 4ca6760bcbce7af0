#include "settings/IniFile.h"

#include <windows.h>

#include "settings/Paths.h"

// With no path the profile functions would fall back to WIN.INI: read defaults, write nothing.

int CIniFile::ReadInt(const std::string& section, const std::string& key, int defaultValue) const
{
    if (FilePath.empty())
        return defaultValue;
    return static_cast<int>(
        GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, FilePath.c_str()));
}

int CIniFile::WriteBool(const std::string& section, const std::string& key, int value) const
{
    if (FilePath.empty())
        return 0;
    EnsureFolder();
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value ? "1" : "0",
                                      FilePath.c_str());
}

bool CIniFile::FileExists() const
{
    return ::FileExists(FilePath);
}

bool CIniFile::EnsureFolder() const
{
    CPathParts parts = SplitPath(FilePath);
    return CreateFolderChain(parts.drive + parts.folder);
}

int CAppInfo::LoadFrom(const std::string& otherPath)
{
    std::string kept = FilePath;
    FilePath = otherPath;
    int result = Load();
    FilePath = kept;
    return result;
}
