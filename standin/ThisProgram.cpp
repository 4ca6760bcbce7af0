#include "standin/ThisProgram.h"

namespace standin {

namespace {

struct CDialogSearch {
    std::string captionStart;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<CDialogSearch*>(parameter);
    char windowClass[16] = {};
    GetClassNameA(window, windowClass, sizeof(windowClass));
    if (lstrcmpA(windowClass, "#32770") != 0)
        return TRUE;
    // Reading a caption sends the window a message, which another thread, blocked, would
    // never answer: only when asked for.
    char caption[64] = {};
    if (!search->captionStart.empty())
        GetWindowTextA(window, caption, sizeof(caption));
    if (std::string(caption).rfind(search->captionStart, 0) == 0)
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::string ProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::vector<HWND> ThreadDialogs(DWORD thread, const std::string& captionStart)
{
    CDialogSearch search = {captionStart, {}};
    EnumThreadWindows(thread, CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND VisibleDialog(DWORD thread, const std::string& captionStart)
{
    for (HWND dialog : ThreadDialogs(thread, captionStart)) {
        if (IsWindowVisible(dialog))
            return dialog;
    }
    return nullptr;
}

}  // namespace standin
