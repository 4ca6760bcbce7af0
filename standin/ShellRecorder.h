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

// A window the module invalidated, whole.
struct CRepaint {
    HWND window;
    bool erase;
};

// One line of the log a recorder writes for a child process (see CShellRecorder::LogTo).
struct CLogRecord {
    enum Kind { kCall, kReturn, kRepaint, kFault, kLoadIcon, kIconLoaded };
    Kind kind;
    DWORD thread;
    DWORD message;  // NIM_ADD, NIM_MODIFY or NIM_DELETE; for a fault, its exception code
    UINT_PTR window;
    UINT id;        // the icon's (or its resource's); for a repaint, 1 when the background is erased
    int result;     // the shell's, on a return
};

// Stands between a module and the shell: replaces the module's import of Shell_NotifyIconA
// with a recorder that forwards to the real one, and can play a shell that refuses adds,
// answers slowly, calls back into the icon's window meanwhile, or never answers. It also
// watches the module's WaitForSingleObject (to tell when the animation waits between frames),
// its InvalidateRect (the desktop repaint at unload), its LoadIconA and its CreateThread.
class CShellRecorder {
public:
    static void Install(HMODULE module);
    static std::vector<CShellCall> Calls();
    // The calls for the window's icons; of one kind (NIM_ADD, say) when one is named.
    static const DWORD kEveryMessage = ~0u;
    static std::vector<CShellCall> CallsFor(HWND window, DWORD message = kEveryMessage);
    // The windows the module invalidated, in order.
    static std::vector<CRepaint> Repaints();
    static void Clear();
    static void RefuseAdds(bool refuse);
    // Adds reach the shell but report a failure, as the shell's call does when the tray
    // answers after its time-out.
    static void AnswerAddsLate(bool late);
    // The next waits with a time limit fail at once, as a wait on a handle gone bad would.
    static void FailTimedWaits(int count);
    // Every later call takes this long before it reaches the shell.
    static void AnswerSlowly(DWORD delayMs);
    // Inside every later call, sends the icon's window what a shell may send while a thread
    // waits in a call to it: the icon's callback message, WM_SETTINGCHANGE, and a repaint.
    static void Reenter();
    // Every thread the module starts from now on stays suspended, as if the system had not
    // run it yet.
    static void HoldNewThreads();
    // Every later modify takes the recorder's lock and never returns: a shell call inside which
    // its thread is ended, leaving the lock it took held for good.
    static void StallModifies();
    // The waits below dispatch the calling thread's messages meanwhile, as a host's thread
    // does; each is false when what it waits for did not come in time.
    // Until a call has stalled.
    static bool WaitForStall(DWORD limitMs);
    // Until a thread of the module begins a wait with a time limit (from now on): in the
    // plug-in, only the animation's pause waits so.
    static bool WaitForTimedWait(DWORD limitMs);
    // Until a modify comes in (from now on).
    static bool WaitForModify(DWORD limitMs);
    // Appends every call, return and repaint to this file as well, for a child process to
    // report, with every fault in the process (which a loader may swallow at process end).
    // One record a line, fields separated by single spaces, numbers in decimal:
    //   call THREAD MESSAGE WINDOW ID            a tray call came in
    //   return THREAD MESSAGE WINDOW ID RESULT   it went back with the shell's result
    //   repaint THREAD WINDOW ERASE              the module invalidated a window
    //   load THREAD ID, loaded THREAD ID         LoadIconA began and ended (ID: the resource's)
    //   fault THREAD CODE                        an exception of error severity was raised
    static void LogTo(const std::string& path);
    static std::vector<CLogRecord> ReadLog(const std::string& path);
    // The shell's own entry, for a caller's own tray calls that must not be recorded.
    static BOOL Forward(DWORD message, NOTIFYICONDATAA* record);
};

// The shell's original record (88 bytes on i686) naming one icon of a window.
NOTIFYICONDATAA IconRecord(HWND window, UINT id);
// Puts a host's own icon (the application icon and a tip) under the window, past any recorder.
bool AddHostIcon(HWND window, UINT id);

}  // namespace standin
