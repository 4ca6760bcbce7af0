#include "standin/ShellRecorder.h"

#include "standin/Imports.h"
#include "standin/Messages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <fstream>
#include <initializer_list>
#include <mutex>
#include <sstream>

namespace standin {

namespace {

using ShellNotifyIcon = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);
using WaitForObject = DWORD(WINAPI*)(HANDLE, DWORD);
using Invalidate = BOOL(WINAPI*)(HWND, const RECT*, BOOL);
using IconLoader = HICON(WINAPI*)(HINSTANCE, LPCSTR);
using StartThread = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID,
                                    DWORD, LPDWORD);

template <typename Entry>
Entry SystemEntry(HMODULE module, const char* name)
{
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Never destroyed: a module's destructors still call the shell while the process exits.
struct CRecorderState {
    std::mutex lock;
    std::vector<CShellCall> calls;
    std::vector<CRepaint> repaints;
    bool refuseAdds = false;
    bool addsLate = false;
    // Counted down without the lock, which a stalled call holds for good.
    volatile LONG failingWaits = 0;
    bool stallModifies = false;
    bool reenter = false;
    bool holdNewThreads = false;
    DWORD delayMs = 0;
    // Set once a call has stalled.
    HANDLE stalled = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // Set each time a thread of the module begins a wait with a time limit.
    HANDLE waiting = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    // Set each time a modify comes in.
    HANDLE modifying = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    // Kept open for the life of the process: a record is one write, atomic and allocation-free.
    HANDLE log = INVALID_HANDLE_VALUE;
    // The system's own entries, so that a patched program does not call itself.
    ShellNotifyIcon forward =
        SystemEntry<ShellNotifyIcon>(LoadLibraryA("shell32.dll"), "Shell_NotifyIconA");
    WaitForObject forwardWait =
        SystemEntry<WaitForObject>(GetModuleHandleA("kernel32.dll"), "WaitForSingleObject");
    Invalidate forwardInvalidate =
        SystemEntry<Invalidate>(LoadLibraryA("user32.dll"), "InvalidateRect");
    IconLoader forwardLoadIcon = SystemEntry<IconLoader>(LoadLibraryA("user32.dll"), "LoadIconA");
    StartThread forwardStartThread =
        SystemEntry<StartThread>(GetModuleHandleA("kernel32.dll"), "CreateThread");
};

CRecorderState& Recorder()
{
    static CRecorderState* state = new CRecorderState;
    return *state;
}

// Appends one record to the log, if there is one: a line of the kind and its numbers.
void Log(const char* kind, std::initializer_list<unsigned long long> numbers)
{
    HANDLE log = Recorder().log;
    if (log == INVALID_HANDLE_VALUE)
        return;
    char line[160];
    int length = std::snprintf(line, sizeof(line), "%s", kind);
    for (unsigned long long number : numbers)
        length += std::snprintf(line + length, sizeof(line) - length, " %llu", number);
    line[length++] = '\n';
    DWORD written;
    WriteFile(log, line, static_cast<DWORD>(length), &written, nullptr);
}

unsigned long long Handle(HWND window)
{
    return reinterpret_cast<UINT_PTR>(window);
}

// What a shell may send the icon's window while the caller waits in its call. The window's
// own thread gets the messages at once; another thread's call waits until they are answered.
void CallBack(const NOTIFYICONDATAA& record)
{
    HWND window = record.hWnd;
    if (!IsWindow(window))
        return;
    const bool ownWindow = GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
    auto send = [window, ownWindow](UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR answer = 0;
        if (ownWindow)
            SendMessageA(window, message, wParam, lParam);
        else
            SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 1000, &answer);
    };
    if (record.uCallbackMessage)
        send(record.uCallbackMessage, record.uID, WM_MOUSEMOVE);
    send(WM_SETTINGCHANGE, 0, 0);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | (ownWindow ? RDW_UPDATENOW : 0));
}

BOOL WINAPI RecordShellNotifyIcon(DWORD message, PNOTIFYICONDATAA record)
{
    CRecorderState& recorder = Recorder();
    DWORD began = GetTickCount();
    bool refuse, late, stall, reenter;
    DWORD delayMs;
    {
        std::lock_guard<std::mutex> hold(recorder.lock);
        refuse = recorder.refuseAdds && message == NIM_ADD;
        late = recorder.addsLate && message == NIM_ADD;
        stall = recorder.stallModifies && message == NIM_MODIFY;
        reenter = recorder.reenter;
        delayMs = recorder.delayMs;
    }
    Log("call", {GetCurrentThreadId(), message, Handle(record->hWnd), record->uID});
    if (message == NIM_MODIFY)
        SetEvent(recorder.modifying);
    if (stall) {
        recorder.lock.lock();
        SetEvent(recorder.stalled);
        Sleep(INFINITE);
    }
    if (delayMs)
        Sleep(delayMs);
    if (reenter)
        CallBack(*record);
    BOOL result = refuse ? FALSE : recorder.forward(message, record);
    if (late)
        result = FALSE;
    CShellCall call = {message,         record->hWnd, record->uID, record->uFlags,
                       record->uCallbackMessage, record->hIcon, std::string(record->szTip),
                       result,          began,
                       GetTickCount()};
    {
        std::lock_guard<std::mutex> hold(recorder.lock);
        recorder.calls.push_back(call);
    }
    // The last act before returning: a caller ended after it is no longer inside the call.
    Log("return", {GetCurrentThreadId(), message, Handle(record->hWnd), record->uID,
                   static_cast<unsigned long long>(result)});
    return result;
}

DWORD WINAPI RecordWait(HANDLE object, DWORD limitMs)
{
    CRecorderState& recorder = Recorder();
    if (limitMs != 0 && limitMs != INFINITE && recorder.failingWaits > 0 &&
        InterlockedDecrement(&recorder.failingWaits) >= 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (limitMs != 0)
        SetEvent(recorder.waiting);
    return recorder.forwardWait(object, limitMs);
}

BOOL WINAPI RecordInvalidate(HWND window, const RECT* rect, BOOL erase)
{
    CRecorderState& recorder = Recorder();
    {
        std::lock_guard<std::mutex> hold(recorder.lock);
        recorder.repaints.push_back({window, erase != FALSE});
    }
    Log("repaint", {GetCurrentThreadId(), Handle(window), erase ? 1ull : 0ull});
    return recorder.forwardInvalidate(window, rect, erase);
}

HICON WINAPI RecordLoadIcon(HINSTANCE module, LPCSTR name)
{
    const unsigned long long id = IS_INTRESOURCE(name) ? reinterpret_cast<UINT_PTR>(name) : 0;
    Log("load", {GetCurrentThreadId(), id});
    HICON icon = Recorder().forwardLoadIcon(module, name);
    Log("loaded", {GetCurrentThreadId(), id});
    return icon;
}

HANDLE WINAPI RecordStartThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack,
                                LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                LPDWORD id)
{
    CRecorderState& recorder = Recorder();
    bool hold;
    {
        std::lock_guard<std::mutex> lock(recorder.lock);
        hold = recorder.holdNewThreads;
    }
    return recorder.forwardStartThread(security, stack, start, parameter,
                                       hold ? flags | CREATE_SUSPENDED : flags, id);
}

// Notes every fault in the process, before any handler (the loader's, say) can swallow it.
LONG CALLBACK RecordFault(EXCEPTION_POINTERS* exception)
{
    const DWORD code = exception->ExceptionRecord->ExceptionCode;
    // Only errors: warnings, debug output and the C++ runtime's own exceptions pass unnoted.
    if ((code & 0xC0000000) != 0xC0000000)
        return EXCEPTION_CONTINUE_SEARCH;
    Log("fault", {GetCurrentThreadId(), code});
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void CShellRecorder::Install(HMODULE module)
{
    ReplaceImport(module, "shell32.dll", "Shell_NotifyIconA",
                  reinterpret_cast<const void*>(&RecordShellNotifyIcon));
    ReplaceImport(module, "kernel32.dll", "WaitForSingleObject",
                  reinterpret_cast<const void*>(&RecordWait));
    ReplaceImport(module, "user32.dll", "InvalidateRect",
                  reinterpret_cast<const void*>(&RecordInvalidate));
    ReplaceImport(module, "user32.dll", "LoadIconA",
                  reinterpret_cast<const void*>(&RecordLoadIcon));
    ReplaceImport(module, "kernel32.dll", "CreateThread",
                  reinterpret_cast<const void*>(&RecordStartThread));
}

std::vector<CShellCall> CShellRecorder::Calls()
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    return Recorder().calls;
}

std::vector<CShellCall> CShellRecorder::CallsFor(HWND window, DWORD message)
{
    std::vector<CShellCall> all = Calls();
    std::vector<CShellCall> matching;
    std::copy_if(all.begin(), all.end(), std::back_inserter(matching),
                 [window, message](const CShellCall& call) {
                     return call.window == window &&
                            (message == kEveryMessage || call.message == message);
                 });
    return matching;
}

std::vector<CRepaint> CShellRecorder::Repaints()
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    return Recorder().repaints;
}

void CShellRecorder::Clear()
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    Recorder().calls.clear();
    Recorder().repaints.clear();
}

void CShellRecorder::RefuseAdds(bool refuse)
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    Recorder().refuseAdds = refuse;
}

void CShellRecorder::AnswerAddsLate(bool late)
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    Recorder().addsLate = late;
}

void CShellRecorder::FailTimedWaits(int count)
{
    InterlockedExchange(&Recorder().failingWaits, count);
}

void CShellRecorder::AnswerSlowly(DWORD delayMs)
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    Recorder().delayMs = delayMs;
}

void CShellRecorder::Reenter()
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    Recorder().reenter = true;
}

void CShellRecorder::HoldNewThreads()
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    Recorder().holdNewThreads = true;
}

void CShellRecorder::StallModifies()
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    Recorder().stallModifies = true;
}

bool CShellRecorder::WaitForTimedWait(DWORD limitMs)
{
    ResetEvent(Recorder().waiting);
    return WaitDispatchingMessages(Recorder().waiting, limitMs);
}

bool CShellRecorder::WaitForModify(DWORD limitMs)
{
    ResetEvent(Recorder().modifying);
    return WaitDispatchingMessages(Recorder().modifying, limitMs);
}

bool CShellRecorder::WaitForStall(DWORD limitMs)
{
    return WaitDispatchingMessages(Recorder().stalled, limitMs);
}

void CShellRecorder::LogTo(const std::string& path)
{
    Recorder().log = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, 0, nullptr);
    AddVectoredExceptionHandler(1, RecordFault);
}

std::vector<CLogRecord> CShellRecorder::ReadLog(const std::string& path)
{
    std::vector<CLogRecord> records;
    std::ifstream log(path);
    for (std::string line; std::getline(log, line);) {
        std::istringstream fields(line);
        std::string kind;
        CLogRecord record = {};
        fields >> kind >> record.thread;
        if (kind == "repaint") {
            record.kind = CLogRecord::kRepaint;
            fields >> record.window >> record.id;
        } else if (kind == "fault") {
            record.kind = CLogRecord::kFault;
            fields >> record.message;
        } else if (kind == "load" || kind == "loaded") {
            record.kind = kind == "load" ? CLogRecord::kLoadIcon : CLogRecord::kIconLoaded;
            fields >> record.id;
        } else {
            record.kind = kind == "call" ? CLogRecord::kCall : CLogRecord::kReturn;
            fields >> record.message >> record.window >> record.id >> record.result;
        }
        records.push_back(record);
    }
    return records;
}

BOOL CShellRecorder::Forward(DWORD message, NOTIFYICONDATAA* record)
{
    return Recorder().forward(message, record);
}

NOTIFYICONDATAA IconRecord(HWND window, UINT id)
{
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = id;
    return record;
}

bool AddHostIcon(HWND window, UINT id)
{
    NOTIFYICONDATAA record = IconRecord(window, id);
    record.uFlags = NIF_ICON | NIF_TIP;
    record.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpyA(record.szTip, "Becky! stand-in");
    return CShellRecorder::Forward(NIM_ADD, &record) != FALSE;
}

}  // namespace standin
