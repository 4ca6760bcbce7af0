#pragma once

#include <windows.h>

#include <string>

namespace standin {

// Copies what the screen shows of the window into a 24-bit BMP file.
bool SaveWindowSnapshot(HWND window, const std::string& path);

// Lets every window of this thread paint what is pending.
void PaintPendingWindows();

}  // namespace standin
