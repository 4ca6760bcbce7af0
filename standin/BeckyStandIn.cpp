// A small program that behaves like the mail client around the plug-in: a main window with a
// menu, a status bar and its own tray icon, the host's 54 API names, a data folder of its own.
//
//   becky_standin [--plugin PATH] [--data FOLDER] [--auto PICTURES LANG]
//
// With --auto it plays a user: opens the setup, clicks OK, closes the window, and saves
// pictures of what it saw into PICTURES, named with LANG.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "standin/Messages.h"
#include "standin/ShellRecorder.h"
#include "standin/Snapshot.h"
#include "standin/StandInHost.h"
#include "standin/ThisProgram.h"

namespace {

const UINT kSetupCommand = 100;
const UINT kExitCommand = 101;
const UINT kHostIconId = 128;
const UINT_PTR kAutoTimer = 1;
const int kSavingSteps = 25;

struct CPluginInfo {
    char name[80];
    char vendor[80];
    char version[80];
    char description[256];
};

struct COptions {
    std::string plugin;
    std::string data;
    std::string pictures;
    std::string language;
};

COptions g_options;
HMODULE g_plugin = nullptr;
HWND g_main = nullptr;
HWND g_status = nullptr;

template <typename Export>
Export PluginExport(const char* name)
{
    return reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(g_plugin, name)));
}

std::string PicturePath(const std::string& name)
{
    return g_options.pictures + "\\" + name + "-" + g_options.language + ".bmp";
}

void Snap(HWND window, const std::string& name)
{
    standin::DispatchMessagesFor(standin::kSettleMs);
    std::string path = PicturePath(name);
    if (standin::SaveWindowSnapshot(window, path))
        std::printf("picture: %s\n", path.c_str());
}

// Runs inside the setup dialog's modal loop: take its picture, then press OK.
void CALLBACK PressSetupOk(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = standin::VisibleDialog(GetCurrentThreadId(), "Tolvanix");
    if (!dialog)
        return;
    KillTimer(nullptr, timer);
    Snap(dialog, "setup-dialog");
    std::printf("setup: pressing OK\n");
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

void OpenSetup()
{
    if (!g_options.pictures.empty())
        SetTimer(nullptr, 0, 200, PressSetupOk);
    PluginExport<int(WINAPI*)(LONG)>("BKC_OnPlugInSetup")(0);
}

// Saves the frames the plug-in put into the tray, in the order the shell got them.
void SnapTrayFrames()
{
    std::vector<HICON> frames;
    for (const standin::CShellCall& call : standin::CShellRecorder::Calls()) {
        bool shown = call.message == NIM_ADD || call.message == NIM_MODIFY;
        if (shown && call.window != g_main && call.icon)
            frames.push_back(call.icon);
    }
    // The add shows the still frame, the first of the cycle; the thread goes on from the next.
    const size_t cycle = 8;
    const int size = 64;
    for (size_t i = 0; i < frames.size() && i < cycle; ++i) {
        std::string path = PicturePath("tray-frame-" + std::to_string(i + 1));
        if (standin::SaveIconPicture(frames[i], size, path))
            std::printf("picture: %s\n", path.c_str());
    }
}

// What the host does when it closes: tell the plug-in, then save for a while.
void CloseHost()
{
    std::printf("exit: calling BKC_OnExit\n");
    PluginExport<int(WINAPI*)()>("BKC_OnExit")();
    HWND ending = standin::VisibleDialog(GetCurrentThreadId(), "Becky! Ver.2");
    if (!g_options.pictures.empty() && ending)
        Snap(ending, "ending-dialog");
    for (int step = 1; step <= kSavingSteps; ++step) {
        char text[64];
        std::snprintf(text, sizeof(text), "Saving mailboxes... %d%%", step * 100 / kSavingSteps);
        SetWindowTextA(g_status, text);
        standin::DispatchMessagesFor(standin::kSettleMs);
    }
    if (!g_options.pictures.empty())
        SnapTrayFrames();
    DestroyWindow(g_main);
}

void ShowPluginInfo(HWND info)
{
    CPluginInfo record = {};
    PluginExport<int(WINAPI*)(CPluginInfo*)>("BKC_OnPlugInInfo")(&record);
    std::string text = std::string("Plug-in: ") + record.name + "\r\nVendor: " + record.vendor +
                       "\r\nVersion: " + record.version + "\r\nDescription: " +
                       record.description + "\r\n\r\nPlug-in > Setup... opens its setup.\r\n"
                       "Closing this window runs the exit as Becky! does.";
    SetWindowTextA(info, text.c_str());
    std::printf("plug-in info: %s / %s / %s / %s\n", record.name, record.vendor, record.version,
                record.description);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        g_main = window;
        g_status = CreateWindowExA(0, STATUSCLASSNAMEA, "Ready", WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                   0, window, nullptr, nullptr, nullptr);
        HWND info = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 12, 12, 440, 110,
                                    window, nullptr, nullptr, nullptr);
        SendMessageA(info, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     FALSE);
        ShowPluginInfo(info);
        standin::AddHostIcon(window, kHostIconId);
        if (!g_options.pictures.empty())
            SetTimer(window, kAutoTimer, 500, nullptr);
        return 0;
    }
    case WM_SIZE:
        SendMessageA(g_status, WM_SIZE, 0, 0);
        return 0;
    case WM_TIMER:
        KillTimer(window, kAutoTimer);
        Snap(window, "host-window");
        OpenSetup();
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kSetupCommand)
            OpenSetup();
        else if (LOWORD(wParam) == kExitCommand)
            PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE:
        CloseHost();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HMENU MakeMenu()
{
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kExitCommand, "E&xit");
    HMENU plugin = CreatePopupMenu();
    AppendMenuA(plugin, MF_STRING, kSetupCommand, "&Setup...");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(plugin), "&Plug-in");
    return bar;
}

void PrintSummary()
{
    std::string settings = g_options.data + "Plugins\\Tolvanix.ini";
    std::printf("settings file: %s\n", settings.c_str());
    if (FILE* file = std::fopen(settings.c_str(), "rb")) {
        char line[256];
        while (std::fgets(line, sizeof(line), file))
            std::printf("    %s", line);
        std::fclose(file);
    }
    std::map<DWORD, int> counts;
    for (const standin::CShellCall& call : standin::CShellRecorder::Calls())
        ++counts[call.message];
    std::printf("tray calls by the plug-in: %d add, %d modify, %d delete\n", counts[NIM_ADD],
                counts[NIM_MODIFY], counts[NIM_DELETE]);
}

bool ParseOptions(int argc, char** argv)
{
    g_options.plugin = standin::ProgramFolder() + "Tolvanix.dll";
    g_options.data = standin::ProgramFolder() + "demo-data\\";
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--plugin" && i + 1 < argc) {
            g_options.plugin = argv[++i];
        } else if (option == "--data" && i + 1 < argc) {
            g_options.data = argv[++i];
            if (g_options.data.back() != '\\')
                g_options.data += '\\';
        } else if (option == "--auto" && i + 2 < argc) {
            g_options.pictures = argv[++i];
            g_options.language = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!ParseOptions(argc, argv)) {
        std::fprintf(stderr, "usage: becky_standin [--plugin PATH] [--data FOLDER] "
                             "[--auto PICTURES LANG]\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CreateDirectoryA(g_options.data.c_str(), nullptr);
    standin::SetDataFolder(g_options.data.c_str());

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "BeckyStandInMain";
    RegisterClassA(&windowClass);

    std::printf("data folder: %s\n", g_options.data.c_str());
    g_plugin = LoadLibraryA(g_options.plugin.c_str());
    if (!g_plugin) {
        std::fprintf(stderr, "cannot load the plug-in %s\n", g_options.plugin.c_str());
        return 1;
    }
    std::printf("plug-in loaded: %s\n", g_options.plugin.c_str());
    standin::CShellRecorder::Install(g_plugin);

    HWND main = CreateWindowExA(0, "BeckyStandInMain", "Becky! Ver.2 (stand-in)",
                                WS_OVERLAPPEDWINDOW, 40, 60, 480, 220, nullptr, MakeMenu(),
                                windowClass.hInstance, nullptr);
    standin::SetMainWindow(main);
    ShowWindow(main, SW_SHOW);
    UpdateWindow(main);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    standin::SetMainWindow(nullptr);
    FreeLibrary(g_plugin);
    PrintSummary();
    return 0;
}
