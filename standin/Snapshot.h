#pragma once

#include <windows.h>

#include <string>

namespace standin {

// Copies what the screen shows of the window into a 24-bit BMP file.
bool SaveWindowSnapshot(HWND window, const std::string& path);

// Draws the icon, scaled to the size, on white into a 24-bit BMP file.
bool SaveIconPicture(HICON icon, int size, const std::string& path);

}  // namespace standin
