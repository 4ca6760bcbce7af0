#pragma once

#include <windows.h>

namespace testing_support {

// Points a module's export at a stand-in, so that every module loaded from now on binds its
// import of it there (the modules loaded before keep the real function). The function the
// export named before, or null when it could not be replaced.
void* ReplaceExport(HMODULE module, const char* name, void* standIn);

}  // namespace testing_support
