#pragma once

#include <windows.h>

#include <functional>

namespace standin {

// Each function a loaded module imports by name: the module it comes from, its name, and the
// slot through which the module calls it.
using ImportVisitor = std::function<void(const char* dll, const char* name, ULONG_PTR* slot)>;
void ForEachImport(HMODULE module, const ImportVisitor& visit);

// Points the module's import of one function at a replacement; what the slot held before, or
// null when the module does not import it.
void* ReplaceImport(HMODULE module, const char* dll, const char* name, const void* replacement);

}  // namespace standin
