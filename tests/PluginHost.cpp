#include "tests/PluginHost.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstring>
#include <fstream>
#include <mutex>

#include "standin/StandInHost.h"
#include "tests/TestSupport.h"

namespace testing_support {

namespace {

using ShellNotifyIcon = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);

// Never destroyed: a module's destructors still call the shell while the process exits.
struct CRecorderState {
    std::mutex lock;
    std::vector<CShellCall> calls;
    bool refuseAdds = false;
    std::string logPath;
    // The shell's own entry, so that a patched program does not call itself.
    ShellNotifyIcon forward = reinterpret_cast<ShellNotifyIcon>(reinterpret_cast<void*>(
        GetProcAddress(LoadLibraryA("shell32.dll"), "Shell_NotifyIconA")));
};

CRecorderState& Recorder()
{
    static CRecorderState* state = new CRecorderState;
    return *state;
}

BOOL WINAPI RecordShellNotifyIcon(DWORD message, PNOTIFYICONDATAA record)
{
    CRecorderState& recorder = Recorder();
    bool refuse;
    {
        std::lock_guard<std::mutex> hold(recorder.lock);
        refuse = recorder.refuseAdds && message == NIM_ADD;
    }
    BOOL result = refuse ? FALSE : recorder.forward(message, record);
    CShellCall call = {message,         record->hWnd, record->uID, record->uFlags,
                       record->uCallbackMessage, record->hIcon, std::string(record->szTip),
                       result,          GetTickCount()};
    std::lock_guard<std::mutex> hold(recorder.lock);
    recorder.calls.push_back(call);
    if (!recorder.logPath.empty()) {
        std::ofstream log(recorder.logPath, std::ios::app);
        log << message << " " << reinterpret_cast<UINT_PTR>(record->hWnd) << " " << record->uID
            << " " << result << "\n";
    }
    return result;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

// The test's own tray calls go straight to the shell, past any recorder.
BOOL RealShellNotifyIcon(DWORD message, NOTIFYICONDATAA* record)
{
    return Recorder().forward(message, record);
}

}  // namespace

CLoadedPlugin::CLoadedPlugin(const std::string& path)
{
    CopyFileA(PluginDllPath().c_str(), path.c_str(), FALSE);
    m_module = LoadLibraryA(path.c_str());
    if (m_module)
        CShellRecorder::Install(m_module);
}

CLoadedPlugin::~CLoadedPlugin()
{
    Unload();
}

int CLoadedPlugin::OnExit() const
{
    auto exit = reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(Get("BKC_OnExit")));
    return exit();
}

int CLoadedPlugin::OnPlugInSetup() const
{
    auto setup = reinterpret_cast<int(WINAPI*)(LONG)>(
        reinterpret_cast<void*>(Get("BKC_OnPlugInSetup")));
    return setup(0);
}

void CLoadedPlugin::Unload()
{
    if (m_module)
        FreeLibrary(m_module);
    m_module = nullptr;
}

void CShellRecorder::Install(HMODULE module)
{
    auto base = reinterpret_cast<BYTE*>(module);
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; descriptor->Name; ++descriptor) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + descriptor->Name), "shell32.dll") != 0)
            continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), "Shell_NotifyIconA") != 0)
                continue;
            DWORD protection;
            VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                           &protection);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(&RecordShellNotifyIcon);
            VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection,
                           &protection);
        }
    }
}

std::vector<CShellCall> CShellRecorder::Calls()
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    return Recorder().calls;
}

std::vector<CShellCall> CShellRecorder::CallsFor(HWND window)
{
    std::vector<CShellCall> matching;
    for (const CShellCall& call : Calls()) {
        if (call.window == window)
            matching.push_back(call);
    }
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

void CShellRecorder::LogTo(const std::string& path)
{
    std::lock_guard<std::mutex> hold(Recorder().lock);
    Recorder().logPath = path;
}

CHostWindow::CHostWindow()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "StandInBeckyMain";
    RegisterClassA(&windowClass);
    m_window = CreateWindowExA(0, "StandInBeckyMain", "Stand-in Becky!",
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                               nullptr, windowClass.hInstance, nullptr);
    m_statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "Ready", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                  m_window, nullptr, windowClass.hInstance, nullptr);
    standin::SetMainWindow(m_window);
}

CHostWindow::~CHostWindow()
{
    for (UINT id : m_icons) {
        NOTIFYICONDATAA record = {};
        record.cbSize = NOTIFYICONDATAA_V1_SIZE;
        record.hWnd = m_window;
        record.uID = id;
        RealShellNotifyIcon(NIM_DELETE, &record);
    }
    standin::SetMainWindow(nullptr);
    DestroyWindow(m_window);
}

bool CHostWindow::AddTrayIcon(UINT id)
{
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = m_window;
    record.uID = id;
    record.uFlags = NIF_ICON | NIF_TIP;
    record.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpyA(record.szTip, "Stand-in Becky!");
    if (!RealShellNotifyIcon(NIM_ADD, &record))
        return false;
    m_icons.push_back(id);
    return true;
}

bool CHostWindow::HasTrayIcon(UINT id) const
{
    return TrayIconExists(m_window, id);
}

namespace {

BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    char windowClass[16] = {};
    GetClassNameA(window, windowClass, sizeof(windowClass));
    if (lstrcmpA(windowClass, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

CDialogDriver::CDialogDriver(Script script)
    : m_ownerThread(GetCurrentThreadId()),
      m_thread([this, script]() {
          HWND dialog = nullptr;
          for (int wait = 0; wait < 100 && !dialog; ++wait) {
              EnumThreadWindows(m_ownerThread, FindDialog, reinterpret_cast<LPARAM>(&dialog));
              if (!dialog)
                  Sleep(20);
          }
          if (!dialog)
              return;
          m_found = true;
          script(dialog);
          for (int wait = 0; wait < 100 && IsWindow(dialog); ++wait)
              Sleep(20);
          if (IsWindow(dialog))
              PostMessageA(dialog, WM_CLOSE, 0, 0);
      })
{
}

CDialogDriver::~CDialogDriver()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CDialogDriver::Found()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_found;
}

void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool IsChecked(HWND dialog, int id)
{
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool TrayIconExists(HWND window, UINT id)
{
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = id;
    return RealShellNotifyIcon(NIM_MODIFY, &record) != FALSE;
}

int ThreadCount()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

std::vector<HWND> EndingDialogs()
{
    std::vector<HWND> dialogs;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", "Becky! Ver.2")) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId())
            dialogs.push_back(window);
    }
    return dialogs;
}

}  // namespace testing_support
