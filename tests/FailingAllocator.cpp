#include "tests/FailingAllocator.h"

#include "tests/ExportStandIn.h"

namespace testing_support {

namespace {

struct CMallocTag;
struct CCallocTag;
struct CReallocTag;
using CMalloc = CCallStandIn<CMallocTag, void*(__cdecl*)(size_t)>;
using CCalloc = CCallStandIn<CCallocTag, void*(__cdecl*)(size_t, size_t)>;
using CRealloc = CCallStandIn<CReallocTag, void*(__cdecl*)(void*, size_t)>;

volatile LONG g_failEvery = 0;
// Counts down to the one allocation that fails; 0: none.
volatile LONG g_countdown = 0;
volatile LONG g_attempts = 0;

// An allocation of the folder's modules, counted; whether it fails.
bool Fails()
{
    InterlockedIncrement(&g_attempts);
    return g_failEvery || (g_countdown > 0 && InterlockedDecrement(&g_countdown) == 0);
}

}  // namespace

bool CFailingAllocator::Install(const std::string& folder)
{
    for (const char* needed : {"shell32.dll", "user32.dll", "gdi32.dll"})
        LoadLibraryA(needed);
    CMalloc::Set([](size_t size) { return Fails() ? nullptr : CMalloc::Forward(size); }, folder);
    CCalloc::Set(
        [](size_t count, size_t size) { return Fails() ? nullptr : CCalloc::Forward(count, size); },
        folder);
    CRealloc::Set(
        [](void* block, size_t size) { return Fails() ? nullptr : CRealloc::Forward(block, size); },
        folder);
    return CMalloc::Install("msvcrt.dll", "malloc") && CCalloc::Install("msvcrt.dll", "calloc") &&
           CRealloc::Install("msvcrt.dll", "realloc");
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
