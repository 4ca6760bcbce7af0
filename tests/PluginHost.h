#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "standin/ShellRecorder.h"
#include "tests/TestSupport.h"

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

// A plain window of the test's own, destroyed at the end unless it went with its parent.
class CTestWindow {
public:
    explicit CTestWindow(const char* windowClass = "STATIC", HWND parent = nullptr,
                         DWORD style = WS_POPUP);
    // A visible window whose messages the procedure answers.
    explicit CTestWindow(WNDPROC procedure);
    ~CTestWindow();
    CTestWindow(const CTestWindow&) = delete;
    CTestWindow& operator=(const CTestWindow&) = delete;

    HWND Handle() const { return m_window; }

private:
    HWND m_window;
};

// Plays a user on another thread while the caller runs a call that may show a dialog: waits
// for a dialog of the calling thread to appear, runs the script against it, and closes it if
// the script left it open. It waits for as long as the call runs, however slow the machine: a
// dialog that appears late is still played and closed, never left open with the call waiting.
class CDialogDriver {
public:
    using Script = std::function<void(HWND dialog)>;

    // Dialogs of the thread that are open already (an ending dialog) are not the one played.
    explicit CDialogDriver(Script script, std::vector<HWND> alreadyOpen = {});
    // The call has returned.
    ~CDialogDriver();
    CDialogDriver(const CDialogDriver&) = delete;
    CDialogDriver& operator=(const CDialogDriver&) = delete;

    // The call has returned: whether a dialog appeared at all.
    bool Found();

private:
    HWND NewVisibleDialog() const;

    DWORD m_ownerThread;
    std::vector<HWND> m_alreadyOpen;
    std::atomic<bool> m_callReturned{false};
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
// The ending dialogs ("Becky! Ver.2") this thread has made, hidden ones too.
std::vector<HWND> EndingDialogs();

}  // namespace testing_support
