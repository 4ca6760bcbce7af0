#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "standin/ShellRecorder.h"

namespace testing_support {

using standin::CShellCall;
using standin::CShellRecorder;

// The real plug-in copied to a path of the test's choosing, loaded as the host loads it.
class CLoadedPlugin {
public:
    explicit CLoadedPlugin(const std::string& path);
    ~CLoadedPlugin();
    CLoadedPlugin(const CLoadedPlugin&) = delete;
    CLoadedPlugin& operator=(const CLoadedPlugin&) = delete;

    HMODULE Module() const { return m_module; }
    int OnExit() const;
    int OnPlugInSetup() const;
    FARPROC Get(const char* name) const { return GetProcAddress(m_module, name); }
    // Drops the test's reference at once, as a host may.
    void Unload();

private:
    HMODULE m_module = nullptr;
};

// The host's main window: a frame with a status bar and its own tray icons.
class CHostWindow {
public:
    CHostWindow();
    ~CHostWindow();
    CHostWindow(const CHostWindow&) = delete;
    CHostWindow& operator=(const CHostWindow&) = delete;

    HWND Handle() const { return m_window; }
    HWND StatusBar() const { return m_statusBar; }
    bool AddTrayIcon(UINT id);
    bool HasTrayIcon(UINT id) const;

private:
    HWND m_window = nullptr;
    HWND m_statusBar = nullptr;
    std::vector<UINT> m_icons;
};

// Plays a user on another thread: waits for a dialog of the calling thread to appear, runs
// the script against it, and closes it if the script left it open.
class CDialogDriver {
public:
    using Script = std::function<void(HWND dialog)>;

    // Waits up to the given time for the dialog; a slow machine may take seconds.
    explicit CDialogDriver(Script script, DWORD waitMs = 10000);
    ~CDialogDriver();
    CDialogDriver(const CDialogDriver&) = delete;
    CDialogDriver& operator=(const CDialogDriver&) = delete;

    // Whether a dialog appeared at all.
    bool Found();

private:
    DWORD m_ownerThread;
    bool m_found = false;
    std::thread m_thread;
};

// What a user does and sees, from another thread.
void Click(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);

bool TrayIconExists(HWND window, UINT id);
// The threads this process runs now, and how many.
std::vector<DWORD> ThreadIds();
int ThreadCount();
// CPU time, user and kernel, in milliseconds.
double ProcessCpuMs();
double ThreadCpuMs(HANDLE thread);
// The thread count once threads that are on their way out have gone (at most 2 s).
int SettledThreadCount(int expected);
// The top-level ending dialogs ("Becky! Ver.2") of this process.
std::vector<HWND> EndingDialogs();

}  // namespace testing_support
