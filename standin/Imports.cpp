#include "standin/Imports.h"

#include <cstring>

namespace standin {

void ForEachImport(HMODULE module, const ImportVisitor& visit)
{
    auto base = reinterpret_cast<BYTE*>(module);
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; descriptor->Name; ++descriptor) {
        const char* dll = reinterpret_cast<char*>(base + descriptor->Name);
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            visit(dll, reinterpret_cast<char*>(byName->Name), &slots->u1.Function);
        }
    }
}

void* ReplaceImport(HMODULE module, const char* dll, const char* name, const void* replacement)
{
    void* before = nullptr;
    ForEachImport(module, [&](const char* from, const char* imported, ULONG_PTR* slot) {
        if (lstrcmpiA(from, dll) != 0 || std::strcmp(imported, name) != 0)
            return;
        before = reinterpret_cast<void*>(*slot);
        DWORD protection;
        VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
        *slot = reinterpret_cast<ULONG_PTR>(replacement);
        VirtualProtect(slot, sizeof(*slot), protection, &protection);
    });
    return before;
}

}  // namespace standin
