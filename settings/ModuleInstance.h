#pragma once

#include <windows.h>

#include "base/Text.h"

// The plug-in module's own instance handle, through which its resources are loaded.
void SetModuleInstance(HINSTANCE instance);
HINSTANCE GetModuleInstance();

// Fills text with string resource id of the module; false, text untouched, when there is none
// or no room for it.
bool LoadResourceString(CText& text, UINT id);
