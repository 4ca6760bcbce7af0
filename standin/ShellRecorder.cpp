#include "standin/ShellRecorder.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <fstream>
#include <mutex>

namespace standin {

namespace {

using ShellNotifyIcon = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);
using WaitForObject = DWORD(WINAPI*)(HANDLE, DWORD);

// Never destroyed: a module's destructors still call the shell while the process exits.
struct CRecorderState {
    std::mutex lock;
    std::vector<CShellCall> calls;
    bool refuseAdds = false;
    bool stallModifies = false;
    // Set once a call has stalled.
    HANDLE stalled = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // The thread that called the shell last, and set each time it begins a timed wait. Read
    // without the lock, which a stalled call holds for good.
    std::atomic<DWORD> callingThread{0};
    HANDLE waiting = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::string logPath;
    // The shell's own entry, so that a patched program does not call itself.
    ShellNotifyIcon forward = reinterpret_cast<ShellNotifyIcon>(reinterpret_cast<void*>(
        GetProcAddress(LoadLibraryA("shell32.dll"), "Shell_NotifyIconA")));
    WaitForObject forwardWait = reinterpret_cast<WaitForObject>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "WaitForSingleObject")));
};

CRecorderState& Recorder()
{
    static CRecorderState* state = new CRecorderState;
    return *state;
}

BOOL WINAPI RecordShellNotifyIcon(DWORD message, PNOTIFYICONDATAA record)
{
    CRecorderState& recorder = Recorder();
    DWORD began = GetTickCount();
    recorder.callingThread = GetCurrentThreadId();
    bool refuse;
    bool stall;
    {
        std::lock_guard<std::mutex> hold(recorder.lock);
        refuse = recorder.refuseAdds && message == NIM_ADD;
        stall = recorder.stallModifies && message == NIM_MODIFY;
    }
    if (stall) {
        recorder.lock.lock();
        SetEvent(recorder.stalled);
        Sleep(INFINITE);
    }
    BOOL result = refuse ? FALSE : recorder.forward(message, record);
    CShellCall call = {message,         record->hWnd, record->uID, record->uFlags,
                       record->uCallbackMessage, record->hIcon, std::string(record->szTip),
                       result,          began,
                       GetTickCount()};
    std::lock_guard<std::mutex> hold(recorder.lock);
    recorder.calls.push_back(call);
    if (!recorder.logPath.empty()) {
        std::ofstream log(recorder.logPath, std::ios::app);
        log << message << " " << reinterpret_cast<UINT_PTR>(record->hWnd) << " " << record->uID
            << " " << result << "\n";
    }
    return result;
}

DWORD WINAPI RecordWait(HANDLE object, DWORD limitMs)
{
    CRecorderState& recorder = Recorder();
    if (limitMs != 0 && GetCurrentThreadId() == recorder.callingThread)
        SetEvent(recorder.waiting);
    return recorder.forwardWait(object, limitMs);
}

// Points the module's import of one function at a replacement.
void ReplaceImport(HMODULE module, const char* dll, const char* name, const void* replacement)
{
    auto base = reinterpret_cast<BYTE*>(module);
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; descriptor->Name; ++descriptor) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + descriptor->Name), dll) != 0)
            continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), name) != 0)
                continue;
            DWORD protection;
            VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                           &protection);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection,
                           &protection);
        }
    }
}

}  // namespace

void CShellRecorder::Install(HMODULE module)
{
    ReplaceImport(module, "shell32.dll", "Shell_NotifyIconA",
                  reinterpret_cast<const void*>(&RecordShellNotifyIcon));
    ReplaceImport(module, "kernel32.dll", "WaitForSingleObject",
                  reinterpret_cast<const void*>(&RecordWait));
}

std::vector<CShellCall> CShellRecorder::Calls()
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    return Recorder().calls;
}

std::vector<CShellCall> CShellRecorder::CallsFor(HWND window)
{
    std::vector<CShellCall> all = Calls();
    std::vector<CShellCall> matching;
    std::copy_if(all.begin(), all.end(), std::back_inserter(matching),
                 [window](const CShellCall& call) { return call.window == window; });
    return matching;
}

void CShellRecorder::Clear()
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    Recorder().calls.clear();
}

void CShellRecorder::RefuseAdds(bool refuse)
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    Recorder().refuseAdds = refuse;
}

void CShellRecorder::StallModifies()
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    Recorder().stallModifies = true;
}

bool CShellRecorder::WaitForTimedWait(DWORD limitMs)
{
    ResetEvent(Recorder().waiting);
    return WaitForSingleObject(Recorder().waiting, limitMs) == WAIT_OBJECT_0;
}

bool CShellRecorder::WaitForStall(DWORD limitMs)
{
    return WaitForSingleObject(Recorder().stalled, limitMs) == WAIT_OBJECT_0;
}

void CShellRecorder::LogTo(const std::string& path)
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    Recorder().logPath = path;
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
