#include "settings/Paths.h"

#include <windows.h>

#include "settings/AnsiText.h"

namespace {

const size_t kMaxPartBytes = 255;

// Each part keeps at most 255 bytes.
std::string CutPart(const std::string& text)
{
    return text.substr(0, FittingLength(text, kMaxPartBytes));
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

}  // namespace

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool CreateFolderChain(const std::string& folder)
{
    if (GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    if (CreateDirectoryA(folder.c_str(), nullptr))
        return true;

    std::string trimmed = folder;
    if (!trimmed.empty() && trimmed.back() == '\\')
        trimmed.pop_back();
    CPathParts parts = SplitPath(trimmed);
    if (parts.folder.empty())
        return false;
    std::string parent = parts.drive + parts.folder;
    // A text ending in a slash (or any text whose parent is itself) would recurse for ever.
    if (parent == folder)
        return false;
    if (!CreateFolderChain(parent))
        return false;
    return CreateDirectoryA(folder.c_str(), nullptr) != 0;
}

CPathParts SplitPath(const std::string& path)
{
    size_t driveEnd = 0;
    if (path.size() >= 2 && path[1] == ':' && CharacterBytes(path, 0) == 1)
        driveEnd = 2;

    size_t folderEnd = driveEnd;  // one past the last separator
    size_t lastDot = std::string::npos;
    // Character by character: a lead byte is never a separator or a dot, and its trail byte is
    // stepped over.
    for (size_t i = driveEnd; i < path.size(); i += CharacterBytes(path, i)) {
        if (IsSeparator(path[i])) {
            folderEnd = i + 1;
            lastDot = std::string::npos;
        } else if (path[i] == '.') {
            lastDot = i;
        }
    }

    CPathParts parts;
    parts.drive = path.substr(0, driveEnd);
    parts.folder = CutPart(path.substr(driveEnd, folderEnd - driveEnd));
    if (lastDot == std::string::npos) {
        parts.title = CutPart(path.substr(folderEnd));
    } else {
        parts.title = CutPart(path.substr(folderEnd, lastDot - folderEnd));
        parts.extension = CutPart(path.substr(lastDot));
    }
    return parts;
}
