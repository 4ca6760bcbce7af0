#include "settings/SettingsLocation.h"

#include <windows.h>

#include "host/HostApiTable.h"
#include "settings/EndingInfo.h"
#include "settings/ModuleInstance.h"
#include "settings/OwnedHandle.h"
#include "settings/Paths.h"

namespace {

// The module's full file name; empty when the platform cut it to fit the buffer.
CText GetModuleFileNameText()
{
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(GetModuleInstance(), buffer, sizeof(buffer));
    if (length == 0 || length >= sizeof(buffer))
        return CText();
    return CText(buffer, length);
}

// An open handle to whatever a path names, for reading (or for nothing, with no access asked).
CKernelHandle OpenForReading(const CText& path, DWORD access, DWORD sharing)
{
    HANDLE file = CreateFileA(path.Chars(), access, sharing, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return CKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// The identity of whatever a path names (volume and file index), or none.
class CFileIdentity {
public:
    explicit CFileIdentity(const CText& path)
    {
        CKernelHandle file =
            OpenForReading(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        m_known = file && GetFileInformationByHandle(file.get(), &m_info) != FALSE;
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

bool NameSameFile(const CText& first, const CText& second)
{
    return CFileIdentity(first).SameAs(CFileIdentity(second));
}

// The earlier settings file, held open while it is read, so that no other program can take it
// for writing meanwhile. Busy when it is there but cannot be read now: another program holds
// it without sharing (a backup tool, a virus scanner), or it may not be read at all.
class CEarlierFile {
public:
    explicit CEarlierFile(const CText& path)
        : m_held(OpenForReading(path, GENERIC_READ, FILE_SHARE_READ))
    {
        const DWORD error = m_held ? ERROR_SUCCESS : GetLastError();
        m_busy = error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND &&
                 error != ERROR_PATH_NOT_FOUND;
    }

    bool IsBusy() const { return m_busy; }
    // Lets it go, so that it can be deleted.
    void Release() { m_held.reset(); }

private:
    CKernelHandle m_held;
    bool m_busy = false;
};

}  // namespace

CText GetModuleFileTitle()
{
    CText fileName = GetModuleFileNameText();
    return fileName.IsEmpty() ? fileName : SplitPath(fileName).title;
}

CText GetPluginDataFolder()
{
    CHostApiTable* table = GetHostApi();
    LPCSTR dataFolder = table && table->m_hostModule ? table->GetDataFolder()() : nullptr;
    // An empty text would place the file relative to whatever the current folder is.
    if (!dataFolder || !*dataFolder)
        return CText();
    return CText(dataFolder) + "Plugins";
}

CText GetSettingsFilePath()
{
    CText folder = GetPluginDataFolder();
    CText title = GetModuleFileTitle();
    if (folder.IsEmpty() || title.IsEmpty())
        return CText();
    return folder + "\\" + title + ".ini";
}

CText GetOldSettingsFilePath()
{
    CText fileName = GetModuleFileNameText();
    if (fileName.IsEmpty())
        return fileName;
    CPathParts parts = SplitPath(fileName);
    return parts.drive + parts.folder + parts.title + ".ini";
}

void StartUpSettings()
{
    // An empty path is an unknown one (or one there was no room for): the defaults, and
    // nothing written.
    CText current = GetSettingsFilePath();
    g_endingInfo.FilePath = current;
    if (g_endingInfo.FilePath.IsEmpty())
        return;
    if (FileExists(current)) {
        g_endingInfo.Load();
        return;
    }
    CText old = GetOldSettingsFilePath();
    if (old.Failed() || old == current)
        return;
    // Carried over only when the earlier file could be read, and deleted only once the
    // current one holds all five switches: a carry-over that did not complete leaves no part of
    // a file behind, and is tried again at the next start.
    CEarlierFile earlier(old);
    if (earlier.IsBusy())
        return;
    g_endingInfo.LoadFrom(old);
    if (!g_endingInfo.SaveConfirmed()) {
        DeleteFileA(current.Chars());
        return;
    }
    earlier.Release();
    // Paths that differ only in letter case can name the one file just written.
    if (!NameSameFile(old, current))
        DeleteFileA(old.Chars());
}
