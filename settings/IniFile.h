#pragma once

#include <string>

// One INI file, read and written a key at a time through the platform's profile functions.
class CIniFile {
public:
    virtual ~CIniFile() = default;

    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const;
    // Writes "1" for any non-zero value and "0" for zero, creating the file's folder first.
    int WriteBool(const std::string& section, const std::string& key, int value) const;
    bool FileExists() const;
    bool EnsureFolder() const;

    std::string FilePath;
};

// A settings record kept in one INI file.
class CAppInfo : public CIniFile {
public:
    virtual int Load() = 0;
    virtual int Save() = 0;

    // Reads the record from another file; FilePath is left as it was.
    int LoadFrom(const std::string& otherPath);
};
