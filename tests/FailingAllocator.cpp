#include "tests/FailingAllocator.h"

#include <string.h>

#include "tests/ExportStandIn.h"

namespace testing_support {

namespace {

using Malloc = void*(__cdecl*)(size_t);
using Calloc = void*(__cdecl*)(size_t, size_t);
using Realloc = void*(__cdecl*)(void*, size_t);

Malloc g_malloc;
Calloc g_calloc;
Realloc g_realloc;
char g_folder[MAX_PATH];
volatile LONG g_failEvery = 0;
// Counts down to the one allocation that fails; 0: none.
volatile LONG g_countdown = 0;
volatile LONG g_attempts = 0;

bool Fails(void* caller)
{
    if (!IsCodeFromFolder(caller, g_folder))
        return false;
    InterlockedIncrement(&g_attempts);
    return g_failEvery || (g_countdown > 0 && InterlockedDecrement(&g_countdown) == 0);
}

void* __cdecl FailingMalloc(size_t size)
{
    return Fails(__builtin_return_address(0)) ? nullptr : g_malloc(size);
}

void* __cdecl FailingCalloc(size_t count, size_t size)
{
    return Fails(__builtin_return_address(0)) ? nullptr : g_calloc(count, size);
}

void* __cdecl FailingRealloc(void* block, size_t size)
{
    return Fails(__builtin_return_address(0)) ? nullptr : g_realloc(block, size);
}

}  // namespace

bool CFailingAllocator::Install(const std::string& folder)
{
    for (const char* needed : {"shell32.dll", "user32.dll", "gdi32.dll"})
        LoadLibraryA(needed);
    lstrcpynA(g_folder, folder.c_str(), sizeof(g_folder));
    HMODULE runtime = GetModuleHandleA("msvcrt.dll");
    g_malloc = reinterpret_cast<Malloc>(
        ReplaceExport(runtime, "malloc", reinterpret_cast<void*>(&FailingMalloc)));
    g_calloc = reinterpret_cast<Calloc>(
        ReplaceExport(runtime, "calloc", reinterpret_cast<void*>(&FailingCalloc)));
    g_realloc = reinterpret_cast<Realloc>(
        ReplaceExport(runtime, "realloc", reinterpret_cast<void*>(&FailingRealloc)));
    return g_malloc && g_calloc && g_realloc;
}

void CFailingAllocator::FailEvery()
{
    InterlockedExchange(&g_failEvery, 1);
}

void CFailingAllocator::FailOnly(long nth)
{
    InterlockedExchange(&g_failEvery, 0);
    InterlockedExchange(&g_countdown, nth);
}

void CFailingAllocator::Pass()
{
    InterlockedExchange(&g_failEvery, 0);
    InterlockedExchange(&g_countdown, 0);
}

long CFailingAllocator::TakeAttempts()
{
    return InterlockedExchange(&g_attempts, 0);
}

}  // namespace testing_support
