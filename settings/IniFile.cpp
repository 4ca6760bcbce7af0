#include "settings/IniFile.h"

#include <windows.h>

#include <utility>

#include "settings/Paths.h"

// With no path (none known, or its text could not be made) the profile functions would fall
// back to WIN.INI: read defaults, write nothing.

int CIniFile::ReadInt(const char* section, const char* key, int defaultValue) const
{
    if (FilePath.IsEmpty())
        return defaultValue;
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, FilePath.Chars()));
}

int CIniFile::WriteBool(const char* section, const char* key, int value) const
{
    if (FilePath.IsEmpty())
        return 0;
    EnsureFolder();
    return WritePrivateProfileStringA(section, key, value ? "1" : "0", FilePath.Chars());
}

bool CIniFile::FileExists() const
{
    return ::FileExists(FilePath);
}

bool CIniFile::EnsureFolder() const
{
    // The whole folder: a cut one would be made under another name.
    return CreateFolderChain(FolderOf(FilePath));
}

int CAppInfo::LoadFrom(const CText& otherPath)
{
    CText kept = std::move(FilePath);
    FilePath = otherPath;
    // Without room for the other path nothing is read: the profile functions would answer
    // every key with its default.
    int result = FilePath.IsEmpty() ? 0 : Load();
    FilePath = std::move(kept);
    return result;
}
