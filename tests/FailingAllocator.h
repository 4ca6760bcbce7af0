#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// Makes the C runtime's allocator fail for one module only, as a host short of memory would
// have it fail: msvcrt's exports of malloc, calloc and realloc are pointed at stand-ins, so that
// every module loaded afterwards binds its imports of them there, from its start-up code to its
// unload. A stand-in answers null, while failing is on, to a caller whose module was loaded
// from the chosen folder, and hands every other call to the real function.
class CFailingAllocator {
public:
    // Once, before the module loads; false when the stand-ins could not be put in place. The
    // modules it needs (shell32, user32, gdi32) are loaded first.
    static bool Install(const std::string& folder);
    // Every allocation of the folder's modules fails from now on, until Pass.
    static void FailEvery();
    // Only the allocation that many calls from now fails (1: the next one).
    static void FailOnly(long nth);
    static void Pass();
    // The allocations the folder's modules asked for since the last call.
    static long TakeAttempts();
};

}  // namespace testing_support
