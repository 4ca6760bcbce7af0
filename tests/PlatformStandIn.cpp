#include "tests/PlatformStandIn.h"

#include <shellapi.h>

#include <cstring>

#include "standin/Imports.h"
#include "tests/ExportStandIn.h"

namespace testing_support {

namespace {

struct CCallState {
    volatile LONG calls = 0;
    // The call that fails, counted from the last FailAt; 0: none.
    volatile LONG failAt = 0;
    volatile LONG failEvery = 0;
};

const size_t kMostCalls = 64;
CCallState g_states[kMostCalls];
volatile LONG g_armed = 0;
volatile LONG g_fileCalls = 0;
// Just before this file call the host is killed with the code, or held until released.
volatile LONG g_stopAt = 0;
UINT g_killCode = 0;
HANDLE g_heldThere = nullptr;
HANDLE g_release = nullptr;
// Kept open for the life of the process: a call is logged in one write, even at its end.
HANDLE g_log = INVALID_HANDLE_VALUE;

const std::vector<CPlatformCall>& Table();

// Counts the module's call, and says whether it is one that fails. A host killed or held
// before a file call stops here.
bool FailsHere(size_t row)
{
    if (!g_armed)
        return false;
    CCallState& state = g_states[row];
    const LONG nth = InterlockedIncrement(&state.calls);
    if (g_log != INVALID_HANDLE_VALUE) {
        char line[64];
        const int length = wsprintfA(line, "%s\n", Table()[row].name);
        DWORD written;
        WriteFile(g_log, line, static_cast<DWORD>(length), &written, nullptr);
    }
    if (Table()[row].fileCall && InterlockedIncrement(&g_fileCalls) == g_stopAt) {
        if (!g_release)
            TerminateProcess(GetCurrentProcess(), g_killCode);
        SetEvent(g_heldThere);
        WaitForSingleObject(g_release, INFINITE);
    }
    return nth == state.failAt || state.failEvery;
}

// The stand-in of the table's row answers the calls of the folder's modules: each is counted,
// and fails or goes through.
template <size_t Row, typename R, typename... A>
struct CRowStandIn {
    using StandIn = CCallStandIn<CRowStandIn, R(WINAPI*)(A...)>;

    static void AnswerFor(const std::string& folder)
    {
        StandIn::Set(
            [](A... arguments) {
                if (!FailsHere(Row))
                    return StandIn::Forward(arguments...);
                const CPlatformCall& call = Table()[Row];
                SetLastError(call.error);
                return (R)(call.failure);
            },
            folder);
    }
};

// A row of the table; the function is named only for its signature.
template <size_t Row, typename R, typename... A>
CPlatformCall Entry(R(WINAPI*)(A...), const char* dll, const char* name, ULONG_PTR failure,
                    DWORD error, bool fileCall = false)
{
    static_assert(Row < kMostCalls, "room for every row's state");
    using RowStandIn = CRowStandIn<Row, R, A...>;
    return {dll, name, failure, error, fileCall, &RowStandIn::AnswerFor,
            &RowStandIn::StandIn::Install, &RowStandIn::StandIn::InstallInImports};
}

const ULONG_PTR kNull = 0;
const ULONG_PTR kFalse = FALSE;
const ULONG_PTR kInvalidHandle = reinterpret_cast<ULONG_PTR>(INVALID_HANDLE_VALUE);
const bool kFileCall = true;
const char kKernel[] = "kernel32.dll";
const char kUser[] = "user32.dll";
const char kGdi[] = "gdi32.dll";
const char kShell[] = "shell32.dll";

// Each row's number is its place: the stand-in finds its row by it.
const std::vector<CPlatformCall>& Table()
{
    static const std::vector<CPlatformCall> table = {
        Entry<0>(&CloseHandle, kKernel, "CloseHandle", kFalse, ERROR_INVALID_HANDLE),
        Entry<1>(&CopyFileA, kKernel, "CopyFileA", kFalse, ERROR_SHARING_VIOLATION, kFileCall),
        Entry<2>(&CreateDirectoryA, kKernel, "CreateDirectoryA", kFalse, ERROR_ACCESS_DENIED,
                 kFileCall),
        Entry<3>(&CreateEventA, kKernel, "CreateEventA", kNull, ERROR_NO_SYSTEM_RESOURCES),
        Entry<4>(&CreateFileA, kKernel, "CreateFileA", kInvalidHandle, ERROR_SHARING_VIOLATION,
                 kFileCall),
        Entry<5>(&CreateThread, kKernel, "CreateThread", kNull, ERROR_NOT_ENOUGH_MEMORY),
        Entry<6>(&DeleteFileA, kKernel, "DeleteFileA", kFalse, ERROR_SHARING_VIOLATION, kFileCall),
        Entry<7>(&FindClose, kKernel, "FindClose", kFalse, ERROR_INVALID_HANDLE),
        Entry<8>(&FindFirstFileA, kKernel, "FindFirstFileA", kInvalidHandle, ERROR_ACCESS_DENIED),
        Entry<9>(&FindNextFileA, kKernel, "FindNextFileA", kFalse, ERROR_NETNAME_DELETED),
        Entry<10>(&FlushFileBuffers, kKernel, "FlushFileBuffers", kFalse, ERROR_DISK_FULL,
                  kFileCall),
        Entry<11>(&FreeLibrary, kKernel, "FreeLibrary", kFalse, ERROR_INVALID_HANDLE),
        Entry<12>(&GetFileAttributesA, kKernel, "GetFileAttributesA", INVALID_FILE_ATTRIBUTES,
                  ERROR_BAD_NETPATH),
        Entry<13>(&GetFileInformationByHandle, kKernel, "GetFileInformationByHandle", kFalse,
                  ERROR_INVALID_FUNCTION),
        Entry<14>(&GetModuleFileNameW, kKernel, "GetModuleFileNameW", 0, ERROR_NOT_ENOUGH_MEMORY),
        Entry<15>(&GetModuleHandleA, kKernel, "GetModuleHandleA", kNull, ERROR_MOD_NOT_FOUND),
        Entry<16>(&GetModuleHandleExA, kKernel, "GetModuleHandleExA", kFalse, ERROR_MOD_NOT_FOUND),
        Entry<17>(&GetProcAddress, kKernel, "GetProcAddress", kNull, ERROR_PROC_NOT_FOUND),
        Entry<18>(&LoadLibraryA, kKernel, "LoadLibraryA", kNull, ERROR_MOD_NOT_FOUND),
        Entry<19>(&MoveFileExA, kKernel, "MoveFileExA", kFalse, ERROR_ACCESS_DENIED, kFileCall),
        Entry<20>(&OpenProcess, kKernel, "OpenProcess", kNull, ERROR_ACCESS_DENIED),
        Entry<21>(&SetEvent, kKernel, "SetEvent", kFalse, ERROR_INVALID_HANDLE),
        Entry<22>(&VirtualProtect, kKernel, "VirtualProtect", kFalse, ERROR_INVALID_ADDRESS),
        Entry<23>(&VirtualQuery, kKernel, "VirtualQuery", 0, ERROR_INVALID_PARAMETER),
        Entry<24>(&WaitForMultipleObjects, kKernel, "WaitForMultipleObjects", WAIT_FAILED,
                  ERROR_INVALID_HANDLE),
        Entry<25>(&WaitForSingleObject, kKernel, "WaitForSingleObject", WAIT_FAILED,
                  ERROR_INVALID_HANDLE),
        Entry<26>(&WideCharToMultiByte, kKernel, "WideCharToMultiByte", 0,
                  ERROR_INSUFFICIENT_BUFFER),
        Entry<27>(&WritePrivateProfileStringA, kKernel, "WritePrivateProfileStringA", kFalse,
                  ERROR_DISK_FULL, kFileCall),
        Entry<28>(&CreateDialogParamA, kUser, "CreateDialogParamA", kNull, ERROR_NOT_ENOUGH_MEMORY),
        Entry<29>(&DestroyIcon, kUser, "DestroyIcon", kFalse, ERROR_INVALID_CURSOR_HANDLE),
        Entry<30>(&DestroyWindow, kUser, "DestroyWindow", kFalse, ERROR_ACCESS_DENIED),
        Entry<31>(&DialogBoxParamA, kUser, "DialogBoxParamA", static_cast<ULONG_PTR>(-1),
                  ERROR_NOT_ENOUGH_MEMORY),
        Entry<32>(&EndDialog, kUser, "EndDialog", kFalse, ERROR_INVALID_WINDOW_HANDLE),
        Entry<33>(&EnumChildWindows, kUser, "EnumChildWindows", kFalse,
                  ERROR_INVALID_WINDOW_HANDLE),
        Entry<34>(&FindWindowExA, kUser, "FindWindowExA", kNull, ERROR_FILE_NOT_FOUND),
        Entry<35>(&GetFocus, kUser, "GetFocus", kNull, ERROR_SUCCESS),
        Entry<36>(&GetPropA, kUser, "GetPropA", kNull, ERROR_NOT_FOUND),
        Entry<37>(&GetWindowTextA, kUser, "GetWindowTextA", 0, ERROR_INVALID_WINDOW_HANDLE),
        Entry<38>(&GetWindowTextLengthA, kUser, "GetWindowTextLengthA", 0,
                  ERROR_INVALID_WINDOW_HANDLE),
        Entry<39>(&InvalidateRect, kUser, "InvalidateRect", kFalse, ERROR_INVALID_WINDOW_HANDLE),
        Entry<40>(&IsWindow, kUser, "IsWindow", kFalse, ERROR_SUCCESS),
        Entry<41>(&LoadCursorA, kUser, "LoadCursorA", kNull, ERROR_RESOURCE_NAME_NOT_FOUND),
        Entry<42>(&LoadIconA, kUser, "LoadIconA", kNull, ERROR_RESOURCE_NAME_NOT_FOUND),
        Entry<43>(&LoadImageA, kUser, "LoadImageA", kNull, ERROR_NOT_ENOUGH_MEMORY),
        Entry<44>(&LoadStringA, kUser, "LoadStringA", 0, ERROR_RESOURCE_NAME_NOT_FOUND),
        Entry<45>(&MsgWaitForMultipleObjects, kUser, "MsgWaitForMultipleObjects", WAIT_FAILED,
                  ERROR_INVALID_HANDLE),
        Entry<46>(&PeekMessageA, kUser, "PeekMessageA", kFalse, ERROR_SUCCESS),
        Entry<47>(&RemovePropA, kUser, "RemovePropA", kNull, ERROR_NOT_FOUND),
        Entry<48>(&SetFocus, kUser, "SetFocus", kNull, ERROR_INVALID_WINDOW_HANDLE),
        Entry<49>(&SetPropA, kUser, "SetPropA", kFalse, ERROR_NOT_ENOUGH_MEMORY),
        Entry<50>(&SetWindowPos, kUser, "SetWindowPos", kFalse, ERROR_INVALID_WINDOW_HANDLE),
        Entry<51>(&SetWindowTextA, kUser, "SetWindowTextA", kFalse, ERROR_NOT_ENOUGH_MEMORY),
        Entry<52>(&UpdateWindow, kUser, "UpdateWindow", kFalse, ERROR_INVALID_WINDOW_HANDLE),
        Entry<53>(&CreateFontIndirectA, kGdi, "CreateFontIndirectA", kNull,
                  ERROR_NOT_ENOUGH_MEMORY),
        Entry<54>(&DeleteObject, kGdi, "DeleteObject", kFalse, ERROR_INVALID_HANDLE),
        Entry<55>(&GetObjectA, kGdi, "GetObjectA", 0, ERROR_INVALID_HANDLE),
        // Gives up on a tray that answers late, as the shell does after about 4 s.
        Entry<56>(&Shell_NotifyIconA, kShell, "Shell_NotifyIconA", kFalse, ERROR_TIMEOUT),
    };
    return table;
}

// Where a row stands, or the table's end.
size_t RowOf(const std::string& name)
{
    const std::vector<CPlatformCall>& table = Table();
    size_t at = 0;
    while (at < table.size() && name != table[at].name)
        ++at;
    return at;
}

}  // namespace

const std::vector<CPlatformCall>& FailingCalls()
{
    return Table();
}

const std::vector<std::string>& CallsThatCannotFail()
{
    // A window of this thread answers a message and names its controls as it is asked; the
    // rest take locks, pause, step the message loop, or answer a query that always has one.
    static const std::vector<std::string> calls = {
        "DeleteCriticalSection",
        "EnterCriticalSection",
        "InitializeCriticalSection",
        "LeaveCriticalSection",
        "GetLastError",
        "Sleep",
        "TlsGetValue",
        "IsDBCSLeadByte",
        "GetCurrentProcessId",
        "GetACP",
        "GetPrivateProfileIntA",
        "lstrlenA",
        "lstrcmpiA",
        "CallWindowProcA",
        "DefWindowProcA",
        "DispatchMessageA",
        "TranslateMessage",
        "EnableWindow",
        "ShowWindow",
        "GetCursor",
        "SetCursor",
        "GetDesktopWindow",
        "SendMessageA",
        "GetDlgItem",
    };
    return calls;
}

bool CPlatformStandIns::InstallInExports(const std::string& folder)
{
    for (const CPlatformCall& call : Table()) {
        call.answerFor(folder);
        if (!call.installInExports(call.dll, call.name))
            return false;
    }
    return true;
}

void CPlatformStandIns::InstallInImports(HMODULE module)
{
    char name[MAX_PATH];
    GetModuleFileNameA(module, name, sizeof(name));
    *(std::strrchr(name, '\\') + 1) = '\0';
    for (const CPlatformCall& call : Table()) {
        call.answerFor(name);
        call.installInImports(module, call.dll, call.name);
    }
}

void CPlatformStandIns::Arm()
{
    InterlockedExchange(&g_armed, 1);
}

void CPlatformStandIns::Disarm()
{
    InterlockedExchange(&g_armed, 0);
}

void CPlatformStandIns::FailAt(const std::string& name, long nth)
{
    const size_t row = RowOf(name);
    if (row < Table().size())
        InterlockedExchange(&g_states[row].failAt, g_states[row].calls + nth);
}

void CPlatformStandIns::FailEvery(const std::string& name)
{
    const size_t row = RowOf(name);
    if (row < Table().size())
        InterlockedExchange(&g_states[row].failEvery, 1);
}

void CPlatformStandIns::KillAtFileCall(long nth, UINT exitCode)
{
    g_killCode = exitCode;
    InterlockedExchange(&g_stopAt, g_fileCalls + nth);
}

void CPlatformStandIns::HoldAtFileCall(long nth, HANDLE reached, HANDLE release)
{
    g_heldThere = reached;
    g_release = release;
    InterlockedExchange(&g_stopAt, g_fileCalls + nth);
}

void CPlatformStandIns::LogCallsTo(const std::string& path)
{
    g_log = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        CREATE_ALWAYS, 0, nullptr);
}

long CPlatformStandIns::FileCalls()
{
    return g_fileCalls;
}

std::vector<std::string> PlatformImports(HMODULE module)
{
    std::vector<std::string> names;
    standin::ForEachImport(module, [&names](const char* dll, const char* name, ULONG_PTR*) {
        for (const char* system : {kKernel, kUser, kGdi, kShell}) {
            if (lstrcmpiA(dll, system) == 0)
                names.push_back(name);
        }
    });
    return names;
}

}  // namespace testing_support
