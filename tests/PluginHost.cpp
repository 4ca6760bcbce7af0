#include "tests/PluginHost.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>


#include "standin/StandInHost.h"
#include "standin/ThisProgram.h"
#include "tests/TestSupport.h"

namespace testing_support {

namespace {

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
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
        NOTIFYICONDATAA record = standin::IconRecord(m_window, id);
        CShellRecorder::Forward(NIM_DELETE, &record);
    }
    standin::SetMainWindow(nullptr);
    DestroyWindow(m_window);
}

bool CHostWindow::AddTrayIcon(UINT id)
{
    if (!standin::AddHostIcon(m_window, id))
        return false;
    m_icons.push_back(id);
    return true;
}

bool CHostWindow::HasTrayIcon(UINT id) const
{
    return TrayIconExists(m_window, id);
}

CTestWindow::CTestWindow(const char* windowClass, HWND parent, DWORD style)
    : m_window(CreateWindowExA(0, windowClass, "", style, 0, 0, 100, 100, parent, nullptr,
                               nullptr, nullptr))
{
}

CTestWindow::CTestWindow(WNDPROC procedure) : m_window(nullptr)
{
    // One class a procedure, named after it.
    const std::string name = "TolvanixTest" + std::to_string(reinterpret_cast<UINT_PTR>(procedure));
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name.c_str();
    RegisterClassA(&windowClass);
    m_window = CreateWindowExA(0, name.c_str(), "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                               nullptr, windowClass.hInstance, nullptr);
}

CTestWindow::~CTestWindow()
{
    if (IsWindow(m_window))
        DestroyWindow(m_window);
}

CDialogDriver::CDialogDriver(Script script, std::vector<HWND> alreadyOpen)
    : m_ownerThread(GetCurrentThreadId()),
      m_alreadyOpen(std::move(alreadyOpen)),
      m_thread([this, script]() {
          HWND dialog = nullptr;
          WaitFor([&dialog, this] {
              return m_callReturned || (dialog = NewVisibleDialog());
          }, INFINITE);
          if (!dialog)
              return;
          m_found = true;
          script(dialog);
          // A click the dialog missed, or a script that leaves it open: closed until it goes.
          while (!WaitFor([this] { return m_callReturned.load(); }, 2000))
              PostMessageA(dialog, WM_CLOSE, 0, 0);
      })
{
}

HWND CDialogDriver::NewVisibleDialog() const
{
    for (HWND dialog : standin::ThreadDialogs(m_ownerThread)) {
        if (IsWindowVisible(dialog) &&
            std::find(m_alreadyOpen.begin(), m_alreadyOpen.end(), dialog) == m_alreadyOpen.end())
            return dialog;
    }
    return nullptr;
}

CDialogDriver::~CDialogDriver()
{
    Found();
}

bool CDialogDriver::Found()
{
    m_callReturned = true;
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
    NOTIFYICONDATAA record = standin::IconRecord(window, id);
    return CShellRecorder::Forward(NIM_MODIFY, &record) != FALSE;
}

std::vector<DWORD> ThreadIds()
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ids.push_back(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return ids;
}

int ThreadCount()
{
    return static_cast<int>(ThreadIds().size());
}

namespace {

double Milliseconds(const FILETIME& time)
{
    return ((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e4;
}

}  // namespace

double ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return Milliseconds(kernel) + Milliseconds(user);
}

double ThreadCpuMs(HANDLE thread)
{
    FILETIME created, exited, kernel, user;
    GetThreadTimes(thread, &created, &exited, &kernel, &user);
    return Milliseconds(kernel) + Milliseconds(user);
}

int SettledThreadCount(int expected)
{
    int count = 0;
    WaitFor([&count, expected] { return (count = ThreadCount()) == expected; }, 2000);
    return count;
}

std::vector<HWND> EndingDialogs()
{
    return standin::ThreadDialogs(GetCurrentThreadId(), "Becky! Ver.2");
}

}  // namespace testing_support
