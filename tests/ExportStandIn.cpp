#include "tests/ExportStandIn.h"

#include <string.h>

namespace testing_support {

namespace {

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

}  // namespace

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
        // Through the loader, which follows an export that forwards to another module.
        void* original = reinterpret_cast<void*>(GetProcAddress(module, name));
        auto reached =
            static_cast<BYTE*>(WithinReach(base, nt->OptionalHeader.SizeOfImage, standIn));
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

bool IsCodeFromFolder(void* address, const char* folder)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module))
        return false;
    char name[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, name, sizeof(name));
    const size_t folderLength = strlen(folder);
    return length >= folderLength && _strnicmp(name, folder, folderLength) == 0;
}

}  // namespace testing_support
