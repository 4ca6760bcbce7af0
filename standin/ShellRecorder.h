#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

// One call the recorder saw, with the record as it was handed over.
struct CShellCall {
    DWORD message;
    HWND window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    HICON icon;
    std::string tip;
    BOOL result;
    // When the call came in, and when it returned.
    DWORD began;
    DWORD tick;
};

// Stands between a module and the shell: replaces the module's import of Shell_NotifyIconA
// with a recorder that forwards to the real one (or refuses adds on purpose). Also watches
// the module's WaitForSingleObject, to tell when the thread that calls the shell is between
// calls, waiting.
class CShellRecorder {
public:
    static void Install(HMODULE module);
    static std::vector<CShellCall> Calls();
    static std::vector<CShellCall> CallsFor(HWND window);
    static void Clear();
    static void RefuseAdds(bool refuse);
    // Every later modify takes the recorder's lock and never returns: a shell call inside which
    // its thread is ended, leaving the lock it took held for good.
    static void StallModifies();
    // Waits until a call has stalled; false when none did in time.
    static bool WaitForStall(DWORD limitMs);
    // Waits until the thread that called the shell last begins a wait with a time limit (from
    // now on); false when it did not in time.
    static bool WaitForTimedWait(DWORD limitMs);
    // Appends every call to this file as well, for a child process to report.
    static void LogTo(const std::string& path);
    // The shell's own entry, for a caller's own tray calls that must not be recorded.
    static BOOL Forward(DWORD message, NOTIFYICONDATAA* record);
};

// The shell's original record (88 bytes on i686) naming one icon of a window.
NOTIFYICONDATAA IconRecord(HWND window, UINT id);
// Puts a host's own icon (the application icon and a tip) under the window, past any recorder.
bool AddHostIcon(HWND window, UINT id);

}  // namespace standin
