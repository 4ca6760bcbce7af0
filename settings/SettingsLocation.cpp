#include "settings/SettingsLocation.h"

#include <windows.h>

#include "base/OwnedHandle.h"
#include "host/HostApiTable.h"
#include "settings/EndingInfo.h"
#include "settings/FileReplacement.h"
#include "settings/ModuleInstance.h"
#include "settings/Paths.h"

namespace {

// The module's full file name in the ANSI code page; empty when the platform cut it to fit
// the buffer or a character of it has no ANSI form. Asked for in UTF-16: the ANSI call may cut
// a name of two-byte characters short of the buffer's end without saying so.
CText ModuleFileNameText()
{
    wchar_t wide[MAX_PATH];
    const DWORD length = GetModuleFileNameW(GetModuleInstance(), wide, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return CText();
    // Up to three bytes a UTF-16 unit where the ANSI code page is UTF-8 (an option of Windows
    // 10 and 11), which takes neither the flag nor the default-character report: with them
    // the call fails. Every other ANSI code page takes at most two.
    const bool utf8 = GetACP() == CP_UTF8;
    char buffer[3 * MAX_PATH];
    BOOL replaced = FALSE;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    const int bytes = WideCharToMultiByte(CP_ACP, flags, wide, static_cast<int>(length), buffer,
                                          sizeof(buffer), nullptr, utf8 ? nullptr : &replaced);
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

bool NameSameFile(const CText& first, const CText& second)
{
    return CFileIdentity(first).SameAs(CFileIdentity(second));
}

// The earlier settings file, held open while it is read, so that no other program can take it
// for writing meanwhile; a host that carried it over may still delete it. Busy when it is
// there but cannot be read now: another program holds it without sharing (a backup tool, a
// virus scanner), its deletion is under way, or it may not be read at all.
class CEarlierFile {
public:
    explicit CEarlierFile(const CText& path)
        : m_held(OpenExisting(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE))
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

// A current file cut short while the earlier one is still beside the module: a carry-over of
// an earlier version, which wrote a key at a time, that did not finish.
bool IsUnfinishedCarryOver(const CText& old)
{
    return FileExists(old) && g_endingInfo.IsCutShort();
}

// The earlier file's values into the record, then into a new current file moved into place
// whole; of two hosts, only one move succeeds, and the other reads the file it made.
void CarryOver(const CText& old, bool replacing)
{
    CEarlierFile earlier(old);
    if (earlier.IsBusy()) {
        // A host that has carried it over may be deleting it; a file cut short is no one's.
        if (!replacing && FileExists(g_endingInfo.FilePath)) {
            g_endingInfo.Load();
            g_endingInfo.m_holdsUsersValues = true;
        }
        return;
    }
    if (!g_endingInfo.LoadFrom(old))
        return;
    g_endingInfo.m_holdsUsersValues = true;
    const DWORD written = g_endingInfo.WriteWhole(replacing);
    if (written == ERROR_ALREADY_EXISTS && FileExists(g_endingInfo.FilePath)) {
        g_endingInfo.Load();
        return;
    }
    // Otherwise carried over nowhere: the earlier values hold for this run, and the next start
    // tries again.
    if (written != ERROR_SUCCESS)
        return;
    earlier.Release();
    // Paths that differ only in letter case can name the one file just written.
    if (!NameSameFile(old, g_endingInfo.FilePath))
        DeleteFileA(old.Chars());
}

}  // namespace

CModuleFileName::CModuleFileName() : m_name(ModuleFileNameText()), m_folder(FolderOf(m_name))
{
}

CText CModuleFileName::Title() const
{
    if (m_name.IsEmpty())
        return CText();
    // A cut title would name another file.
    CPathParts parts = SplitPath(m_name);
    return parts.cut ? CText() : parts.title;
}

CText GetPluginDataFolder()
{
    CHostApiTable* table = GetBoundHostApi();
    CHostApiTable::GetDataFolderEntry getDataFolder = table ? table->GetDataFolder() : nullptr;
    LPCSTR dataFolder = getDataFolder ? getDataFolder() : nullptr;
    // An empty text would place the file relative to whatever the current folder is.
    if (!dataFolder || !*dataFolder)
        return CText();
    return CText(dataFolder) + "Plugins";
}

CText GetSettingsFilePath(const CModuleFileName& module)
{
    CText folder = GetPluginDataFolder();
    CText title = module.Title();
    if (folder.IsEmpty() || title.IsEmpty())
        return CText();
    return folder + "\\" + title + ".ini";
}

CText GetOldSettingsFilePath(const CModuleFileName& module)
{
    CText title = module.Title();
    // Without its folder the name would be looked for in the Windows folder, and deleted in
    // whatever folder is current.
    if (title.IsEmpty() || module.Folder().IsEmpty())
        return CText();
    return module.Folder() + title + ".ini";
}

void StartUpSettings()
{
    const CModuleFileName module;
    g_endingInfo.FilePath = GetSettingsFilePath(module);
    g_endingInfo.m_holdsUsersValues = false;
    // An empty path is an unknown one (or one there was no room for): the defaults, and
    // nothing written.
    const CText& current = g_endingInfo.FilePath;
    if (current.IsEmpty())
        return;
    CFileReplacement::RemoveStrays(current);
    const CText old = GetOldSettingsFilePath(module);
    const CPathKind kind = KindOf(current);
    // Not known to be absent (a share not reconnected yet, a refused query): the user's file
    // may be there, and nothing may be written over it.
    if (kind == CPathKind::kUnknown || old.Failed())
        return;
    const bool fromElsewhere = !old.IsEmpty() && old != current;
    if (kind == CPathKind::kFile && !(fromElsewhere && IsUnfinishedCarryOver(old))) {
        g_endingInfo.Load();
        g_endingInfo.m_holdsUsersValues = true;
        return;
    }
    if (!fromElsewhere) {
        // Nothing to carry over: where no file is, the defaults are the user's.
        g_endingInfo.m_holdsUsersValues = !old.IsEmpty();
        return;
    }
    CarryOver(old, kind == CPathKind::kFile);
}
