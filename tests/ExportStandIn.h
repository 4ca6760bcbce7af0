#pragma once

#include <windows.h>

namespace testing_support {

// Points a module's export at a stand-in, so that every module loaded from now on binds its
// import of it there (the modules loaded before keep the real function). The function the
// export named before, or null when it could not be replaced.
void* ReplaceExport(HMODULE module, const char* name, void* standIn);

// Whether the code at the address belongs to a module loaded from the folder (a path that
// ends with its backslash).
bool IsCodeFromFolder(void* address, const char* folder);

}  // namespace testing_support
