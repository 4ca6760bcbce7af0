#pragma once

#include <windows.h>

#include "base/Text.h"

// The new content of one file, made beside it under a name of this process's own and then
// moved over it whole: a reader sees the old file or the new one, and a host that dies on the
// way leaves only the temporary, which a later start removes. Owns the temporary until the
// move, and deletes it if the move never happens.
class CFileReplacement {
public:
    explicit CFileReplacement(const CText& target);
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement&) = delete;
    CFileReplacement& operator=(const CFileReplacement&) = delete;

    // Makes the temporary: a copy of the target, so that every other line of it stays, or an
    // empty file where there is no target yet or the copy is not wanted. False when it could
    // not be made, or the target is there but could not be copied.
    bool Begin(bool copyTarget);
    // Where the new content is written, once begun.
    const CText& Path() const { return m_temporary; }
    // Flushes the temporary to the disk and moves it to the target: ERROR_SUCCESS,
    // ERROR_ALREADY_EXISTS when the target is there and is not to be replaced (another host
    // made it first), or the reason it failed.
    DWORD Commit(bool replaceTarget);

    // Deletes the temporaries beside the target that hosts no longer running left behind.
    static void RemoveStrays(const CText& target);

private:
    CText m_target;
    CText m_temporary;
};
