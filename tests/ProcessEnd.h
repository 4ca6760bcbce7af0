#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// How a child host process (exit_child) ends: it loads the plug-in, runs the exit, and ends
// with ExitProcess at the moment the plan names.
struct CProcessEndPlan {
    enum End {
        kAtOnce,        // right after BKC_OnExit returns
        kBeforeThreadRuns,  // at once, the animation thread never having run
        kInFirstPause,  // offsetMs into the animation's first pause
        kInFrame,       // as soon as a frame's modify comes in to the shell
        kInPause,       // as soon as the animation waits out a pause after a frame
        kAfter,         // offsetMs after BKC_OnExit, the host's thread answering messages
        kStalled,       // once a frame's modify has stalled in the shell for good
    };
    End end = kInPause;
    DWORD offsetMs = 0;
    bool animation = true;
    // The host drops its reference to the module before it ends.
    bool freeFirst = false;
    // The shell answers this late, and calls back into the icon's window meanwhile.
    DWORD shellDelayMs = 0;
    bool reenter = false;

    // The plan as the child's arguments, and back.
    std::vector<std::string> Arguments() const;
    bool Parse(const std::vector<std::string>& arguments);
    std::string Describe() const;

    // The n-th of a run of plans that together spread the end over the whole animation cycle.
    static CProcessEndPlan Spread(int n);
};

// What the child reports through its exit code before it reaches its exit.
enum EChildExit : DWORD {
    kChildEnded = 0,
    kChildUsage = 2,
    kChildNoPlugin = 3,
    kChildNoStall = 4,
    kChildNoPause = 5,
    kChildNoExitEvent = 6,
    kChildNoFrame = 7,
};
std::string DescribeChildExit(DWORD code);

// What became of one child.
struct CProcessEndResult {
    std::string plan;
    DWORD exitCode = 0;
    // It reached its ExitProcess, and was gone within the limit after it.
    bool reachedExit = false;
    bool hung = false;
    // An exception of error severity, which Wine's loader swallows inside DllMain at process
    // end; or the host's thread broke off inside one of its own tray calls.
    DWORD faultCode = 0;
    bool hostCallBrokeOff = false;
    double exitMs = 0;
    // Its own icon was in the notification area, and still was when the process was gone.
    bool iconAdded = false;
    bool iconLeft = false;
    // A tray call (or an icon load, a window call) began on a thread other than the host's and
    // never ended: the process ended that thread inside the call.
    bool endedInsideShellCall = false;
    bool endedInsideWindowCall = false;
    // The desktop was invalidated, with its background erased, after the last tray call.
    bool desktopRepainted = false;

    bool Crashed() const
    {
        return faultCode != 0 || hostCallBrokeOff || (reachedExit && !hung && exitCode != kChildEnded);
    }
    // Reached its exit, and ended at once and cleanly.
    bool EndedCleanly() const { return reachedExit && !hung && !Crashed(); }
    // Why an icon was left: only a thread ended inside a shell or window call may leave one.
    bool IconLeftForACause() const
    {
        return iconLeft && (endedInsideShellCall || endedInsideWindowCall);
    }
    std::string GhostCause() const;
    std::string Describe() const;
};

// Reads a child's tray-call log (CShellRecorder::LogTo) into the result: its icon, faults,
// calls broken off, the desktop's repaint.
void ReadShellLog(const std::string& path, CProcessEndResult& result);

// Runs one child in the folder (made if missing), which then holds its copy of the plug-in and
// its tray-call log. The exit itself is held to exitLimitMs; starting the child is not, since
// a process takes up to half a minute to start in an emulated machine.
CProcessEndResult RunProcessEnd(const CProcessEndPlan& plan, const std::string& folder,
                                DWORD exitLimitMs = 2000);

}  // namespace testing_support
