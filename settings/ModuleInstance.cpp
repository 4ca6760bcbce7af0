#include "settings/ModuleInstance.h"

#include <utility>

namespace {

HINSTANCE& InstanceCell()
{
    static HINSTANCE instance = nullptr;
    return instance;
}

}  // namespace

void SetModuleInstance(HINSTANCE instance)
{
    InstanceCell() = instance;
}

HINSTANCE GetModuleInstance()
{
    return InstanceCell();
}

bool LoadResourceString(CText& text, UINT id)
{
    char buffer[2048];
    // One less than the buffer declared, so at most 2046 characters arrive.
    int length = LoadStringA(GetModuleInstance(), id, buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return false;
    CText loaded(buffer);
    if (loaded.Failed())
        return false;
    text = std::move(loaded);
    return true;
}
