#include "tests/FailingAllocator.h"

#include <intrin.h>
#include <string.h>

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

bool FromTheFolder(void* caller)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(caller), &module))
        return false;
    char name[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, name, sizeof(name));
    const size_t folderLength = strlen(g_folder);
    return length >= folderLength && _strnicmp(name, g_folder, folderLength) == 0;
}

bool Fails(void* caller)
{
    if (!FromTheFolder(caller))
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

// An export names its function by an offset of 32 bits from the module. On x86_64 the
// stand-in is reached through a jump placed within that reach.
void* WithinReach(BYTE* base, DWORD imageSize, void* standIn)
{
#ifdef _WIN64
    const SIZE_T granularity = 0x10000;
    BYTE* place = base + ((imageSize + granularity - 1) & ~(granularity - 1));
    MEMORY_BASIC_INFORMATION region;
    while (place - base < 0x7FFF0000 && VirtualQuery(place, &region, sizeof(region))) {
        if (region.State == MEM_FREE) {
            auto jump = static_cast<BYTE*>(VirtualAlloc(place, 0x1000, MEM_RESERVE | MEM_COMMIT,
                                                        PAGE_EXECUTE_READWRITE));
            if (jump) {
                // jmp [rip+0], then the stand-in's address.
                const BYTE code[] = {0xFF, 0x25, 0, 0, 0, 0};
                memcpy(jump, code, sizeof(code));
                memcpy(jump + sizeof(code), &standIn, sizeof(standIn));
                return jump;
            }
        }
        place = static_cast<BYTE*>(region.BaseAddress) + region.RegionSize;
        place = base + ((place - base + granularity - 1) & ~(granularity - 1));
    }
    return nullptr;
#else
    (void)base;
    (void)imageSize;
    return standIn;
#endif
}

// Points the module's export at the stand-in; the function it named before.
void* ReplaceExport(HMODULE module, const char* name, void* standIn)
{
    auto base = reinterpret_cast<BYTE*>(module);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    auto names = reinterpret_cast<DWORD*>(base + exports->AddressOfNames);
    auto ordinals = reinterpret_cast<WORD*>(base + exports->AddressOfNameOrdinals);
    auto functions = reinterpret_cast<DWORD*>(base + exports->AddressOfFunctions);
    for (DWORD at = 0; at < exports->NumberOfNames; ++at) {
        if (strcmp(reinterpret_cast<char*>(base + names[at]), name) != 0)
            continue;
        DWORD* slot = &functions[ordinals[at]];
        void* original = base + *slot;
        auto reached = static_cast<BYTE*>(WithinReach(base, nt->OptionalHeader.SizeOfImage, standIn));
        if (!reached)
            return nullptr;
        DWORD protection;
        VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
        *slot = static_cast<DWORD>(reached - base);
        VirtualProtect(slot, sizeof(*slot), protection, &protection);
        return original;
    }
    return nullptr;
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
