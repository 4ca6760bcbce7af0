#include "settings/SettingsLocation.h"

#include <windows.h>

#include "base/OwnedHandle.h"
#include "host/HostApiTable.h"
#include "settings/EndingInfo.h"
#include "settings/ModuleInstance.h"
#include "settings/Paths.h"

namespace {

// The module's full file name in the ANSI code page; empty when the platform cut it to fit
// the buffer or a character of it has no ANSI form. Asked for in UTF-16: the ANSI call may cut
// a name of two-byte characters short of the buffer's end without saying so.
CText GetModuleFileNameText()
{
    wchar_t wide[MAX_PATH];
    const DWORD length = GetModuleFileNameW(GetModuleInstance(), wide, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return CText();
    // At most two bytes a UTF-16 unit in any ANSI code page the host runs under.
    char buffer[2 * MAX_PATH];
    BOOL replaced = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide,
                                          static_cast<int>(length), buffer, sizeof(buffer),
                                          nullptr, &replaced);
    if (bytes <= 0 || replaced)
        return CText();
    return CText(buffer, static_cast<size_t>(bytes));
}

// An open handle to whatever a path names (a file or a folder), with the access asked for:
// none at all is enough to ask who it is.
CKernelHandle OpenExisting(const CText& path, DWORD access, DWORD sharing)
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
            OpenExisting(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
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

// Makes an empty file at the path unless something is there already: ERROR_SUCCESS, or the
// reason why not (ERROR_FILE_EXISTS when it was there).
DWORD MakeNewFile(const CText& path)
{
    HANDLE file = CreateFileA(path.Chars(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    CKernelHandle made(file);
    return ERROR_SUCCESS;
}

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
        : m_held(OpenExisting(path, GENERIC_READ, FILE_SHARE_READ))
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
    if (fileName.IsEmpty())
        return fileName;
    // A cut title would name another file.
    CPathParts parts = SplitPath(fileName);
    return parts.cut ? CText() : parts.title;
}

CText GetPluginDataFolder()
{
    CHostApiTable* table = GetHostApi();
    CHostApiTable::GetDataFolderEntry getDataFolder =
        table && table->m_hostModule ? table->GetDataFolder() : nullptr;
    LPCSTR dataFolder = getDataFolder ? getDataFolder() : nullptr;
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
    CText title = GetModuleFileTitle();
    if (title.IsEmpty())
        return title;
    return FolderOf(GetModuleFileNameText()) + title + ".ini";
}

void StartUpSettings()
{
    // An empty path is an unknown one (or one there was no room for): the defaults, and
    // nothing written.
    CText current = GetSettingsFilePath();
    g_endingInfo.FilePath = current;
    if (g_endingInfo.FilePath.IsEmpty())
        return;
    switch (KindOf(current)) {
    case CPathKind::kFile:
        g_endingInfo.Load();
        return;
    case CPathKind::kUnknown:
        // Not known to be absent (a share not reconnected yet, a refused query): the user's
        // file may be there, and nothing may be written over it.
        return;
    case CPathKind::kNothing:
    case CPathKind::kFolder:
        break;
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
    // The current file is claimed first: of two host processes starting together, only the one
    // that made it carries over, writes or deletes; the other reads what it finds there.
    g_endingInfo.EnsureFolder();
    const DWORD claimed = MakeNewFile(current);
    if (claimed == ERROR_FILE_EXISTS && FileExists(current)) {
        g_endingInfo.Load();
        return;
    }
    if (claimed != ERROR_SUCCESS) {
        // Carried over nowhere: the earlier values hold for this run only.
        g_endingInfo.LoadFrom(old);
        return;
    }
    if (!g_endingInfo.LoadFrom(old) || !g_endingInfo.SaveConfirmed()) {
        DeleteFileA(current.Chars());
        return;
    }
    earlier.Release();
    // Paths that differ only in letter case can name the one file just written.
    if (!NameSameFile(old, current))
        DeleteFileA(old.Chars());
}
