#include "settings/SettingsLocation.h"

#include <windows.h>

#include "host/HostApiTable.h"
#include "settings/EndingInfo.h"
#include "settings/ModuleInstance.h"
#include "settings/OwnedHandle.h"
#include "settings/Paths.h"

namespace {

// The module's full file name; empty when the platform cut it to fit the buffer.
std::string GetModuleFileNameText()
{
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(GetModuleInstance(), buffer, sizeof(buffer));
    if (length == 0 || length >= sizeof(buffer))
        return std::string();
    return std::string(buffer, length);
}

// The identity of whatever a path names (volume and file index), or none.
class CFileIdentity {
public:
    explicit CFileIdentity(const std::string& path)
    {
        HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        CKernelHandle owner(file);
        m_known = GetFileInformationByHandle(file, &m_info) != FALSE;
    }

    bool SameAs(const CFileIdentity& other) const
    {
        return m_known && other.m_known &&
               m_info.dwVolumeSerialNumber == other.m_info.dwVolumeSerialNumber &&
               m_info.nFileIndexHigh == other.m_info.nFileIndexHigh &&
               m_info.nFileIndexLow == other.m_info.nFileIndexLow;
    }

private:
    BY_HANDLE_FILE_INFORMATION m_info = {};
    bool m_known = false;
};

// Paths that differ only in letter case can name the one file just written.
bool NameSameFile(const std::string& first, const std::string& second)
{
    return CFileIdentity(first).SameAs(CFileIdentity(second));
}

}  // namespace

std::string GetModuleFileTitle()
{
    std::string fileName = GetModuleFileNameText();
    return fileName.empty() ? std::string() : SplitPath(fileName).title;
}

std::string GetPluginDataFolder()
{
    CHostApiTable* table = GetHostApi();
    LPCSTR dataFolder = table && table->m_hostModule ? table->GetDataFolder()() : nullptr;
    // An empty text would place the file relative to whatever the current folder is.
    if (!dataFolder || !*dataFolder)
        return std::string();
    return std::string(dataFolder) + "Plugins";
}

std::string GetSettingsFilePath()
{
    std::string folder = GetPluginDataFolder();
    std::string title = GetModuleFileTitle();
    if (folder.empty() || title.empty())
        return std::string();
    return folder + "\\" + title + ".ini";
}

std::string GetOldSettingsFilePath()
{
    std::string fileName = GetModuleFileNameText();
    if (fileName.empty())
        return std::string();
    CPathParts parts = SplitPath(fileName);
    return parts.drive + parts.folder + parts.title + ".ini";
}

namespace {

void BindSettingsFile()
{
    std::string current = GetSettingsFilePath();
    g_endingInfo.FilePath = current;
    if (current.empty())
        return;
    if (FileExists(current)) {
        g_endingInfo.Load();
        return;
    }
    std::string old = GetOldSettingsFilePath();
    if (old == current)
        return;
    g_endingInfo.LoadFrom(old);
    g_endingInfo.Save();
    // Save has just tried to write the file, so this asks the disk anew.
    // cppcheck-suppress knownConditionTrueFalse
    if (FileExists(current) && !NameSameFile(old, current))
        DeleteFileA(old.c_str());
}

}  // namespace

void StartUpSettings()
{
    // Runs inside the loader's attach notification, through which nothing may be thrown.
    try {
        BindSettingsFile();
    } catch (...) {
        // Out of memory: the defaults, and nothing written.
        g_endingInfo.FilePath.clear();
        g_endingInfo.SetDefaults();
    }
}
