// Measurements of what the plug-in costs the host. Each mode prints one figure; the
// script tools/bench.sh runs the per-process modes in fresh processes and takes medians.
//
//   tolvanix_bench exit-sample | baseline-sample | load-sample DLL | first-load-sample DLL
//                  | stop | tray-delete | anim-cpu | tray-modify-cpu | icon-search
//                  | frame-pause | setup-leak | process-end RUNS
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/HostApiTable.h"
#include "plugin/ExitSequence.h"
#include "resources/ResourceIds.h"
#include "settings/ModuleInstance.h"
#include "standin/Messages.h"
#include "standin/StandInHost.h"
#include "tests/PluginHost.h"
#include "tests/ProcessEnd.h"
#include "tests/TestSupport.h"
#include "ui/ending/EndingDlg.h"
#include "ui/ending/EndingIcon.h"

using namespace testing_support;

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// An ending dialog made from this program's own copy of the resources, for icons to hang under.
CEndingDlg& EndingDialog()
{
    static CEndingDlg dialog;
    if (!dialog.m_hWnd) {
        SetModuleInstance(GetModuleHandleA(nullptr));
        dialog.Create();
    }
    return dialog;
}

// BKC_OnExit with the default switches, in a host with a status bar and its own icon.
int ExitSample()
{
    CTempFolder temp;
    MakeFolders(temp.Path("data"));
    standin::SetDataFolder(temp.Path("data\\").c_str());
    CHostWindow host;
    host.AddTrayIcon(128);
    CLoadedPlugin plugin(temp.Path("Tolvanix.dll"));
    standin::DispatchMessagesFor(standin::kSettleMs);
    double start = NowMs();
    plugin.OnExit();
    std::printf("%.3f\n", NowMs() - start);
    return 0;
}

// The platform calls the exit has to make anyway, made directly.
int BaselineSample()
{
    CHostWindow host;
    host.AddTrayIcon(128);
    standin::DispatchMessagesFor(standin::kSettleMs);
    double start = NowMs();
    ShowWindow(host.Handle(), SW_HIDE);
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ENDING),
                                     GetDesktopWindow(), PlainDialogProc, 0);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    NOTIFYICONDATAA record = standin::IconRecord(dialog, 128);
    record.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    record.uCallbackMessage = WM_USER;
    record.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_FRAME_STILL));
    lstrcpyA(record.szTip, "Becky! Ver.2 Ending...");
    Shell_NotifyIconA(NIM_ADD, &record);
    NOTIFYICONDATAA hostIcon = standin::IconRecord(host.Handle(), 128);
    Shell_NotifyIconA(NIM_DELETE, &hostIcon);
    std::printf("%.3f\n", NowMs() - start);
    Shell_NotifyIconA(NIM_DELETE, &record);
    return 0;
}

// LoadLibrary at a usual start (the settings file is there) or at the first one.
int LoadSample(const char* dll, bool firstStart)
{
    CTempFolder temp;
    MakeFolders(temp.Path("data\\Plugins"));
    standin::SetDataFolder(temp.Path("data\\").c_str());
    if (!firstStart)
        WriteFileText(temp.Path("data\\Plugins\\module.ini"), SettingsFileText());
    std::string copy = temp.Path("module.dll");
    CopyFileA(dll, copy.c_str(), FALSE);
    double start = NowMs();
    HMODULE module = LoadLibraryA(copy.c_str());
    double took = NowMs() - start;
    if (!module)
        return 1;
    std::printf("%.3f\n", took);
    FreeLibrary(module);
    return 0;
}

// The icon's own code, linked here: how long deleting an animating icon takes.
int Stop()
{
    std::vector<double> samples;
    for (int round = 0; round < 21; ++round) {
        std::unique_ptr<CEndingIcon> icon(new CEndingIcon);
        icon->Start(EndingDialog());
        Sleep(150 + 17 * round % 110);
        double start = NowMs();
        icon.reset();
        samples.push_back(NowMs() - start);
    }
    std::printf("%.3f\n", Median(samples));
    return 0;
}

// The shell's own time to take an icon away: what any stop has to pay.
int TrayDelete()
{
    CHostWindow host;
    std::vector<double> samples;
    for (int round = 0; round < 21; ++round) {
        host.AddTrayIcon(7);
        NOTIFYICONDATAA record = standin::IconRecord(host.Handle(), 7);
        double start = NowMs();
        CShellRecorder::Forward(NIM_DELETE, &record);
        samples.push_back(NowMs() - start);
    }
    std::printf("%.3f\n", Median(samples));
    return 0;
}

// The animation thread's own CPU time over 5 s of wall time.
int AnimationCpu()
{
    std::vector<DWORD> before = ThreadIds();
    CEndingIcon icon;
    icon.Start(EndingDialog());
    HANDLE animation = nullptr;
    for (DWORD id : ThreadIds()) {
        if (std::find(before.begin(), before.end(), id) == before.end())
            animation = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);
    }
    if (!animation)
        return 1;
    double start = ThreadCpuMs(animation);
    Sleep(5000);
    std::printf("%.3f\n", (ThreadCpuMs(animation) - start) / 5000.0 * 100.0);
    CloseHandle(animation);
    return 0;
}

// The pause from one frame's return to the next frame's call, however slow the shell is:
// the median over two cycles.
int FramePause()
{
    CShellRecorder::Install(GetModuleHandleA(nullptr));
    const HWND window = EndingDialog().m_hWnd;
    CEndingIcon icon;
    icon.Start(EndingDialog());
    if (!WaitFor([window] { return CShellRecorder::CallsFor(window).size() >= 17; }, 20000))
        return 1;
    std::vector<CShellCall> calls = CShellRecorder::CallsFor(window);
    std::vector<double> pauses;
    for (size_t i = 1; i < calls.size(); ++i)
        pauses.push_back(calls[i].began - calls[i - 1].tick);
    std::printf("%.3f\n", Median(pauses));
    return 0;
}

// The shell's own cost of one icon change in this process: what each frame must pay.
int TrayModifyCpu()
{
    CEndingIcon icon;
    icon.m_animation = 0;
    icon.Start(EndingDialog());
    HICON frames[] = {LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_FRAME_LEAF_LEFT)),
                      LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_FRAME_LEAF_CENTRE))};
    const int calls = 200;
    double before = ProcessCpuMs();
    for (int call = 0; call < calls; ++call) {
        icon.SetIcon(frames[call % 2]);
        icon.Notify();
    }
    std::printf("%.4f\n", (ProcessCpuMs() - before) / calls);
    return 0;
}

int IconSearch()
{
    CHostWindow host;
    BindHostApi();
    std::vector<double> samples;
    for (int round = 0; round < 7; ++round) {
        double start = NowMs();
        RemoveHostTrayIcon();
        samples.push_back(NowMs() - start);
    }
    std::printf("%.3f\n", Median(samples));
    return 0;
}

// Fonts and icons the setup dialog made that are still alive after 100 runs.
int SetupLeak()
{
    CTempFolder temp;
    MakeFolders(temp.Path("data"));
    standin::SetDataFolder(temp.Path("data\\").c_str());
    CHostWindow host;
    CLoadedPlugin plugin(temp.Path("Tolvanix.dll"));
    int alive = 0;
    for (int run = 0; run < 100; ++run) {
        std::vector<HFONT> fonts;
        std::vector<HICON> icons;
        {
            CDialogDriver user([&](HWND dialog) {
                fonts.push_back(FontHandleOf(GetDlgItem(dialog, IDC_DIALOG_BOX)));
                icons.push_back(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0)));
                icons.push_back(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0)));
                Click(dialog, IDCANCEL);
            });
            plugin.OnPlugInSetup();
        }
        LOGFONTA font;
        // Only a font the plug-in made counts: the template's own font belongs to the system.
        if (GetACP() == 932 && !fonts.empty() && GetObjectA(fonts.front(), sizeof(font), &font))
            ++alive;
        for (HICON icon : icons)
            alive += icon && IconIsAlive(icon);
    }
    std::printf("%d\n", alive);
    return 0;
}

// Child hosts that end their process with the display up, at moments spread over the whole
// animation cycle; one figure a line, "name value".
int ProcessEndRuns(int runs)
{
    CTempFolder temp;
    std::vector<double> exitMs;
    int crashes = 0, hangs = 0, failures = 0;
    int ghostsInShellCall = 0, ghostsInWindowCall = 0, ghostsUnexplained = 0;
    for (int n = 0; n < runs; ++n) {
        CProcessEndResult result = RunProcessEnd(CProcessEndPlan::Spread(n), temp.Path("child"));
        if (result.hung)
            ++hangs;
        else if (result.Crashed())
            ++crashes;
        else if (!result.reachedExit)
            ++failures;
        else
            exitMs.push_back(result.exitMs);
        if (result.iconLeft && result.endedInsideShellCall)
            ++ghostsInShellCall;
        else if (result.iconLeft && result.endedInsideWindowCall)
            ++ghostsInWindowCall;
        else if (result.iconLeft)
            ++ghostsUnexplained;
        if (!result.EndedCleanly() || (result.iconLeft && !result.IconLeftForACause()))
            std::fprintf(stderr, "child %d: %s\n", n, result.Describe().c_str());
    }
    std::printf("process_end_runs %d\n", runs);
    std::printf("process_end_crashes %d\n", crashes);
    std::printf("process_end_hangs %d\n", hangs);
    std::printf("process_end_child_failures %d\n", failures);
    if (!exitMs.empty())
        std::printf("process_end_ms %.3f\n", Median(exitMs));
    std::printf("ghost_icons_thread_in_shell_call %d\n", ghostsInShellCall);
    std::printf("ghost_icons_thread_in_window_call %d\n", ghostsInWindowCall);
    std::printf("ghost_icons_unexplained %d\n", ghostsUnexplained);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "exit-sample")
        return ExitSample();
    if (mode == "baseline-sample")
        return BaselineSample();
    if (mode == "load-sample" && argc > 2)
        return LoadSample(argv[2], false);
    if (mode == "first-load-sample" && argc > 2)
        return LoadSample(argv[2], true);
    if (mode == "tray-delete")
        return TrayDelete();
    if (mode == "tray-modify-cpu")
        return TrayModifyCpu();
    if (mode == "stop")
        return Stop();
    if (mode == "anim-cpu")
        return AnimationCpu();
    if (mode == "frame-pause")
        return FramePause();
    if (mode == "icon-search")
        return IconSearch();
    if (mode == "setup-leak")
        return SetupLeak();
    if (mode == "process-end" && argc > 2)
        return ProcessEndRuns(std::atoi(argv[2]));
    std::fprintf(stderr, "usage: tolvanix_bench exit-sample|baseline-sample|load-sample DLL|"
                         "first-load-sample DLL|stop|tray-delete|anim-cpu|frame-pause|tray-modify-cpu|icon-search|"
                         "setup-leak|process-end RUNS\n");
    return 2;
}
