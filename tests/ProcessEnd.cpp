#include "tests/ProcessEnd.h"

#include <map>
#include <sstream>
#include <tuple>

#include "base/OwnedHandle.h"
#include "standin/ShellRecorder.h"
#include "tests/TestSupport.h"

namespace testing_support {

namespace {

const char* const kEndNames[] = {"at-once", "before-thread-runs", "in-first-pause", "in-frame",
                                 "in-pause", "after", "stalled"};
const DWORD kSlowShellMs = 3;
// How long a child may take to reach its exit, starting included.
const DWORD kReachExitLimitMs = 120000;

std::string Word(const std::string& name, DWORD value)
{
    return name + "=" + std::to_string(value);
}

}  // namespace

void ReadShellLog(const std::string& path, CProcessEndResult& result)
{
    using CCallKey = std::tuple<DWORD, DWORD, UINT_PTR, UINT>;
    std::map<CCallKey, int> open;
    std::map<DWORD, int> openLoads;
    UINT_PTR ownWindow = 0;
    UINT ownId = 0;
    // The plug-in adds its icon on the host's thread, the one that ends the process.
    DWORD hostThread = 0;
    const UINT_PTR desktop = reinterpret_cast<UINT_PTR>(GetDesktopWindow());
    for (const standin::CLogRecord& record : standin::CShellRecorder::ReadLog(path)) {
        const CCallKey key(record.thread, record.message, record.window, record.id);
        switch (record.kind) {
        case standin::CLogRecord::kCall:
            ++open[key];
            if (record.message == NIM_ADD) {
                ownWindow = record.window;
                ownId = record.id;
                hostThread = record.thread;
            }
            break;
        case standin::CLogRecord::kReturn:
            --open[key];
            if (record.window != ownWindow || record.id != ownId || !record.result)
                break;
            if (record.message == NIM_ADD)
                result.iconAdded = result.iconLeft = true;
            else if (record.message == NIM_DELETE)
                result.iconLeft = false;
            break;
        case standin::CLogRecord::kRepaint:
            if (record.window == desktop && record.id == 1)
                result.desktopRepainted = true;
            break;
        case standin::CLogRecord::kFault:
            result.faultCode = record.message;
            break;
        case standin::CLogRecord::kLoadIcon:
            ++openLoads[record.thread];
            break;
        case standin::CLogRecord::kIconLoaded:
            --openLoads[record.thread];
            break;
        }
    }
    for (const auto& call : open) {
        if (call.second <= 0)
            continue;
        if (std::get<0>(call.first) == hostThread)
            result.hostCallBrokeOff = true;
        else
            result.endedInsideShellCall = true;
    }
    for (const auto& load : openLoads) {
        if (load.second > 0 && load.first != hostThread)
            result.endedInsideWindowCall = true;
    }
}

std::vector<std::string> CProcessEndPlan::Arguments() const
{
    return {std::string("end=") + kEndNames[end], Word("offset", offsetMs),
            Word("animation", animation), Word("free", freeFirst), Word("delay", shellDelayMs),
            Word("reenter", reenter)};
}

bool CProcessEndPlan::Parse(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments) {
        const size_t equals = argument.find('=');
        if (equals == std::string::npos)
            return false;
        const std::string name = argument.substr(0, equals);
        const std::string value = argument.substr(equals + 1);
        if (name == "end") {
            bool known = false;
            for (int at = kAtOnce; at <= kStalled; ++at) {
                if (value == kEndNames[at]) {
                    end = static_cast<End>(at);
                    known = true;
                }
            }
            if (!known)
                return false;
            continue;
        }
        const DWORD number = std::stoul(value);
        if (name == "offset")
            offsetMs = number;
        else if (name == "animation")
            animation = number != 0;
        else if (name == "free")
            freeFirst = number != 0;
        else if (name == "delay")
            shellDelayMs = number;
        else if (name == "reenter")
            reenter = number != 0;
        else
            return false;
    }
    return true;
}

std::string CProcessEndPlan::Describe() const
{
    std::string text;
    for (const std::string& argument : Arguments())
        text += (text.empty() ? "" : " ") + argument;
    return text;
}

CProcessEndPlan CProcessEndPlan::Spread(int n)
{
    CProcessEndPlan plan;
    switch (n % 8) {
    case 0:
        plan.end = kAtOnce;
        break;
    case 1:
        plan.end = kInFirstPause;
        plan.offsetMs = static_cast<DWORD>(n * 29 % 100);
        break;
    case 2:
        plan.end = kInFrame;
        break;
    case 4:
        plan.end = kBeforeThreadRuns;
        break;
    case 6:
        // Long after the first cycles, while the host still saves.
        plan.end = kAfter;
        plan.offsetMs = 2000 + static_cast<DWORD>(n * 331 % 2000);
        break;
    case 7:
        plan.end = kInPause;
        break;
    default:
        // Anywhere in the first cycles (the first pause, then 880 ms a cycle).
        plan.end = kAfter;
        plan.offsetMs = static_cast<DWORD>(n * 97 % 1000);
        break;
    }
    // A still icon has no frames to end in or between.
    plan.animation = n % 5 != 3 || plan.end == kInFirstPause || plan.end == kInFrame ||
                     plan.end == kInPause;
    plan.freeFirst = n % 3 == 1;
    if ((n / 8 + n) % 2 == 1) {
        plan.shellDelayMs = kSlowShellMs;
        plan.reenter = true;
    }
    return plan;
}

std::string DescribeChildExit(DWORD code)
{
    switch (code) {
    case kChildEnded:
        return "ended as planned";
    case kChildUsage:
        return "did not understand its arguments";
    case kChildNoPlugin:
        return "could not load the plug-in";
    case kChildNoStall:
        return "saw no frame stall";
    case kChildNoPause:
        return "saw the animation begin no pause";
    case kChildNoExitEvent:
        return "could not open the exit event";
    case kChildNoFrame:
        return "saw no frame come in";
    default: {
        std::ostringstream text;
        text << "crashed with code 0x" << std::hex << code;
        return text.str();
    }
    }
}

std::string CProcessEndResult::GhostCause() const
{
    if (!iconLeft)
        return std::string();
    if (endedInsideShellCall)
        return "the animation thread was ended inside a shell call";
    if (endedInsideWindowCall)
        return "the animation thread was ended inside a window call (an icon load)";
    return "no thread was inside a shell or window call";
}

std::string CProcessEndResult::Describe() const
{
    std::ostringstream text;
    text << "[" << plan << "] ";
    if (hung)
        text << (reachedExit ? "hung in its exit" : "hung before its exit");
    else
        text << DescribeChildExit(exitCode);
    if (faultCode)
        text << ", fault 0x" << std::hex << faultCode << std::dec;
    if (hostCallBrokeOff)
        text << ", the host's thread broke off inside a tray call";
    if (reachedExit && !hung)
        text << ", gone " << exitMs << " ms after ExitProcess";
    if (iconLeft)
        text << ", icon left: " << GhostCause();
    text << (desktopRepainted ? ", desktop repainted" : ", desktop not repainted");
    return text.str();
}

CProcessEndResult RunProcessEnd(const CProcessEndPlan& plan, const std::string& folder,
                                DWORD exitLimitMs)
{
    CProcessEndResult result;
    result.plan = plan.Describe();
    MakeFolders(folder);
    const std::string log = folder + "\\shell.log";
    DeleteFileA(log.c_str());

    static int counter = 0;
    const std::string exiting = "tolvanix-process-end-" + std::to_string(GetCurrentProcessId()) +
                                "-" + std::to_string(++counter);
    // The child sets this just before it calls ExitProcess.
    CKernelHandle exitBegins(CreateEventA(nullptr, TRUE, FALSE, exiting.c_str()));
    std::string arguments = "\"" + folder + "\" " + exiting;
    for (const std::string& argument : plan.Arguments())
        arguments += " " + argument;
    CKernelHandle process = StartChild("exit_child.exe", arguments);
    if (!process) {
        result.exitCode = GetLastError();
        return result;
    }

    HANDLE begun[] = {exitBegins.get(), process.get()};
    const DWORD first = WaitForMultipleObjects(2, begun, FALSE, kReachExitLimitMs);
    if (first == WAIT_OBJECT_0) {
        const double exitCalled = NowMs();
        result.reachedExit = true;
        result.hung = WaitForSingleObject(process.get(), exitLimitMs) != WAIT_OBJECT_0;
        result.exitMs = NowMs() - exitCalled;
    } else {
        result.hung = first != WAIT_OBJECT_0 + 1;
    }
    if (result.hung) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), INFINITE);
    }
    GetExitCodeProcess(process.get(), &result.exitCode);
    ReadShellLog(log, result);
    return result;
}

}  // namespace testing_support
