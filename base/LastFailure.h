#pragma once

#include <windows.h>

// The reason the last platform call gave for its failure; never "success", which a failed
// call may leave behind, and which would pass the failure off as done.
inline DWORD LastFailure()
{
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
}
