#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

// The folder of the running program, with a trailing backslash.
std::string ProgramFolder();

// The dialogs (class "#32770") a thread has made, hidden ones too, whose caption begins with
// the text. With a caption to match, the thread must be this one or answering messages.
std::vector<HWND> ThreadDialogs(DWORD thread, const std::string& captionStart = std::string());
// The first of them that is visible, or none.
HWND VisibleDialog(DWORD thread, const std::string& captionStart = std::string());

}  // namespace standin
