#include "settings/Paths.h"

#include <windows.h>

#include "base/AnsiText.h"

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

// Where a path's drive ends and its folder part ends (one past the last separator), and its
// last dot after that, if any.
struct CPlaces {
    size_t driveEnd = 0;
    size_t folderEnd = 0;
    size_t lastDot = static_cast<size_t>(-1);
};

CPlaces PlacesOf(const CText& path)
{
    CPlaces places;
    if (path.Length() >= 2 && path.At(1) == ':' && CharacterBytes(path, 0) == 1)
        places.driveEnd = 2;
    places.folderEnd = places.driveEnd;
    // Character by character: a lead byte is never a separator or a dot, and its trail byte is
    // stepped over.
    for (size_t i = places.driveEnd; i < path.Length(); i += CharacterBytes(path, i)) {
        if (IsSeparator(path.At(i))) {
            places.folderEnd = i + 1;
            places.lastDot = static_cast<size_t>(-1);
        } else if (path.At(i) == '.') {
            places.lastDot = i;
        }
    }
    return places;
}

}  // namespace

CPathKind KindOf(const CText& path)
{
    if (path.IsEmpty())
        return CPathKind::kUnknown;
    const DWORD attributes = GetFileAttributesA(path.Chars());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? CPathKind::kFolder : CPathKind::kFile;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? CPathKind::kNothing
                                                                          : CPathKind::kUnknown;
}

bool FileExists(const CText& path)
{
    return KindOf(path) == CPathKind::kFile;
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
    const CText trimmed = folder.Part(0, endsInBackslash ? length - 1 : length);
    const CPlaces places = PlacesOf(trimmed);
    if (places.folderEnd == places.driveEnd)
        return false;
    CText parent = trimmed.Part(0, places.folderEnd);
    // A text ending in a slash (or any text whose parent is itself) would recurse for ever.
    if (parent.Failed() || parent == folder)
        return false;
    if (!CreateFolderChain(parent))
        return false;
    return CreateDirectoryA(folder.Chars(), nullptr) != 0;
}

CPathParts SplitPath(const CText& path)
{
    const CPlaces places = PlacesOf(path);
    const size_t titleEnd = places.lastDot < path.Length() ? places.lastDot : path.Length();
    CPathParts parts;
    parts.drive = path.Part(0, places.driveEnd);
    parts.folder = CutPart(path.Part(places.driveEnd, places.folderEnd - places.driveEnd));
    parts.title = CutPart(path.Part(places.folderEnd, titleEnd - places.folderEnd));
    parts.extension = CutPart(path.Part(titleEnd));
    parts.cut = parts.drive.Length() + parts.folder.Length() + parts.title.Length() +
                    parts.extension.Length() != path.Length();
    return parts;
}

CText FolderOf(const CText& path)
{
    return path.Part(0, PlacesOf(path).folderEnd);
}
