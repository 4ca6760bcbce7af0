#include "settings/FileReplacement.h"

#include "base/LastFailure.h"
#include "base/OwnedHandle.h"
#include "settings/Paths.h"

namespace {

const char kHexDigits[] = "0123456789abcdef";
const size_t kProcessDigits = 8;
const char kTemporaryEnd[] = ".tmp";
const size_t kTemporaryEndLength = sizeof(kTemporaryEnd) - 1;

// TARGET.PPPPPPPP.tmp, the process's number in hexadecimal: a name no other running host
// makes, and one that says whose it is.
CText TemporaryName(const CText& target, DWORD process)
{
    char digits[kProcessDigits + 1];
    for (size_t at = 0; at < kProcessDigits; ++at)
        digits[at] = kHexDigits[(process >> (4 * (kProcessDigits - 1 - at))) & 0xF];
    digits[kProcessDigits] = '\0';
    return target + "." + digits + kTemporaryEnd;
}

// The process number in a temporary's name (the part the wildcard matched), or none.
bool ProcessOfName(const char* name, size_t prefixLength, DWORD& process)
{
    const char* digits = name + prefixLength;
    process = 0;
    for (size_t at = 0; at < kProcessDigits; ++at) {
        const char c = digits[at];
        const int value = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (value < 0)
            return false;
        process = (process << 4) | static_cast<DWORD>(value);
    }
    return lstrcmpiA(digits + kProcessDigits, kTemporaryEnd) == 0;
}

// Whether a temporary's writer may still be at work: its process runs, or cannot be asked.
bool IsWriterRunning(DWORD process)
{
    if (process == GetCurrentProcessId())
        return false;
    CKernelHandle writer(OpenProcess(SYNCHRONIZE, FALSE, process));
    if (!writer)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    return WaitForSingleObject(writer.get(), 0) == WAIT_TIMEOUT;
}

// The file opened for writing, made empty where nothing is (CREATE_NEW) or as it is
// (OPEN_EXISTING); none when it could not be.
CKernelHandle OpenForWriting(const CText& path, DWORD disposition)
{
    HANDLE file = CreateFileA(path.Chars(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return CKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool Flush(const CText& path)
{
    CKernelHandle file = OpenForWriting(path, OPEN_EXISTING);
    return file && FlushFileBuffers(file.get()) != FALSE;
}

}  // namespace

CFileReplacement::CFileReplacement(const CText& target) : m_target(target)
{
}

CFileReplacement::~CFileReplacement()
{
    if (!m_temporary.IsEmpty())
        DeleteFileA(m_temporary.Chars());
}

bool CFileReplacement::Begin(bool copyTarget)
{
    if (m_target.IsEmpty() || m_target.Failed())
        return false;
    const CText temporary = TemporaryName(m_target, GetCurrentProcessId());
    if (temporary.Failed())
        return false;
    // A temporary of this name is a dead host's that had this process's number.
    DeleteFileA(temporary.Chars());
    bool made = false;
    if (copyTarget && CopyFileA(m_target.Chars(), temporary.Chars(), TRUE)) {
        made = true;
    } else {
        // Only a target that is not there may start empty: one that could not be copied holds
        // lines the new content would lose.
        const DWORD error = copyTarget ? GetLastError() : ERROR_FILE_NOT_FOUND;
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return false;
        made = OpenForWriting(temporary, CREATE_NEW) != nullptr;
    }
    if (made)
        m_temporary = temporary;
    return made;
}

DWORD CFileReplacement::Commit(bool replaceTarget)
{
    if (m_temporary.IsEmpty())
        return ERROR_INVALID_FUNCTION;
    if (!Flush(m_temporary))
        return LastFailure();
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceTarget ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExA(m_temporary.Chars(), m_target.Chars(), flags)) {
        const DWORD error = LastFailure();
        // Some file systems answer a taken name with ERROR_FILE_EXISTS instead.
        return error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : error;
    }
    m_temporary.Clear();
    return ERROR_SUCCESS;
}

void CFileReplacement::RemoveStrays(const CText& target)
{
    const CText pattern = target + ".*" + kTemporaryEnd;
    const CText folder = FolderOf(target);
    if (pattern.Failed() || folder.IsEmpty())
        return;
    // The name without its folder, as the search gives names.
    const size_t prefixLength = target.Length() - folder.Length() + 1;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.Chars(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        DWORD process = 0;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            lstrlenA(found.cFileName) !=
                static_cast<int>(prefixLength + kProcessDigits + kTemporaryEndLength) ||
            !ProcessOfName(found.cFileName, prefixLength, process) || IsWriterRunning(process))
            continue;
        DeleteFileA((folder + found.cFileName).Chars());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}
