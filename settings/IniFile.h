#pragma once

#include "base/Text.h"

// One INI file, read and written a key at a time through the platform's profile functions.
class CIniFile {
public:
    virtual ~CIniFile() = default;

    int ReadInt(const char* section, const char* key, int defaultValue) const;
    // Writes "1" for any non-zero value and "0" for zero, creating the file's folder first.
    int WriteBool(const char* section, const char* key, int value) const;
    // Part of the record's design; the start-up asks the path functions directly.
    bool FileExists() const;
    bool EnsureFolder() const;

    CText FilePath;
};

// A settings record kept in one INI file.
class CAppInfo : public CIniFile {
public:
    virtual int Load() = 0;
    virtual int Save() = 0;

    // Reads the record from another file; FilePath is left as it was. 0, the record untouched,
    // when the other path is empty or there was no room to take it.
    int LoadFrom(const CText& otherPath);
};
