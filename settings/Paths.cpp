#include "settings/Paths.h"

#include <windows.h>

#include "settings/AnsiText.h"

namespace {

const size_t kMaxPartBytes = 255;

// Each part keeps at most 255 bytes.
CText CutPart(const CText& text)
{
    return text.Part(0, FittingLength(text, kMaxPartBytes));
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

}  // namespace

bool FileExists(const CText& path)
{
    DWORD attributes = GetFileAttributesA(path.Chars());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool CreateFolderChain(const CText& folder)
{
    // An unknown folder (its text could not be made) is no folder to create.
    if (folder.Failed())
        return false;
    if (GetFileAttributesA(folder.Chars()) != INVALID_FILE_ATTRIBUTES)
        return true;
    if (CreateDirectoryA(folder.Chars(), nullptr))
        return true;

    const size_t length = folder.Length();
    const bool endsInBackslash = length > 0 && folder.At(length - 1) == '\\';
    CPathParts parts = SplitPath(folder.Part(0, endsInBackslash ? length - 1 : length));
    if (parts.folder.IsEmpty())
        return false;
    CText parent = parts.drive + parts.folder;
    // A text ending in a slash (or any text whose parent is itself) would recurse for ever.
    if (parent.Failed() || parent == folder)
        return false;
    if (!CreateFolderChain(parent))
        return false;
    return CreateDirectoryA(folder.Chars(), nullptr) != 0;
}

CPathParts SplitPath(const CText& path)
{
    const size_t none = static_cast<size_t>(-1);
    size_t driveEnd = 0;
    if (path.Length() >= 2 && path.At(1) == ':' && CharacterBytes(path, 0) == 1)
        driveEnd = 2;

    size_t folderEnd = driveEnd;  // one past the last separator
    size_t lastDot = none;
    // Character by character: a lead byte is never a separator or a dot, and its trail byte is
    // stepped over.
    for (size_t i = driveEnd; i < path.Length(); i += CharacterBytes(path, i)) {
        if (IsSeparator(path.At(i))) {
            folderEnd = i + 1;
            lastDot = none;
        } else if (path.At(i) == '.') {
            lastDot = i;
        }
    }

    CPathParts parts;
    parts.drive = path.Part(0, driveEnd);
    parts.folder = CutPart(path.Part(driveEnd, folderEnd - driveEnd));
    if (lastDot == none) {
        parts.title = CutPart(path.Part(folderEnd));
    } else {
        parts.title = CutPart(path.Part(folderEnd, lastDot - folderEnd));
        parts.extension = CutPart(path.Part(lastDot));
    }
    return parts;
}
