// The host of one anomaly run (tests/Anomaly.h). Its exit code is 0 once it has written its
// whole report, kKilled when it was killed before a file call, and the system's code of a
// crash otherwise.
#include <fstream>
#include <string>

#include "standin/Messages.h"
#include "standin/StandInHost.h"
#include "standin/ThisProgram.h"
#include "tests/Anomaly.h"
#include "tests/PlatformStandIn.h"
#include "tests/PluginHost.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

// Generous: the animation takes seconds to start in an emulated machine.
const DWORD kAnimationLimitMs = 20000;
// Three frames: long enough for a spinning thread to show, short beside the run.
const DWORD kWatchMs = 330;

class CChild {
public:
    explicit CChild(const std::string& folder)
        : m_folder(folder),
          m_report(anomaly::ReportPath(folder, GetCurrentProcessId()), std::ios::trunc)
    {
    }

    void Say(const std::string& word, long value) { m_report << word << " " << value << std::endl; }

    // The module's file calls and imports, after a run that counted them.
    void SayCounts(HMODULE module)
    {
        Say("fileCalls", CPlatformStandIns::FileCalls());
        if (module) {
            for (const std::string& name : PlatformImports(module))
                m_report << "import " << name << "\n";
        }
        m_report.flush();
    }

    std::string Plugin() const { return m_folder + "tools\\Tolvanix.dll"; }

private:
    std::string m_folder;
    std::ofstream m_report;
};

// The anomaly the arguments name, ready for the scenario's own part; false when they name none.
// "fail" takes pairs of a name and a call number, or "every".
bool Plan(int argc, char** argv)
{
    const std::string mode = argv[3];
    if (mode == "count")
        return argc == 4;
    if (mode == "fail" && argc >= 6 && argc % 2 == 0) {
        for (int at = 4; at < argc; at += 2) {
            if (std::string(argv[at + 1]) == "every")
                CPlatformStandIns::FailEvery(argv[at]);
            else
                CPlatformStandIns::FailAt(argv[at], std::stol(argv[at + 1]));
        }
        return true;
    }
    if (mode == "kill" && argc == 5) {
        CPlatformStandIns::KillAtFileCall(std::stol(argv[4]), anomaly::kKilled);
        return true;
    }
    if (mode == "hold" && argc == 6) {
        const std::string name = argv[5];
        HANDLE reached = OpenEventA(EVENT_MODIFY_STATE, FALSE, (name + "-reached").c_str());
        HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, (name + "-release").c_str());
        if (!reached || !release)
            return false;
        CPlatformStandIns::HoldAtFileCall(std::stol(argv[4]), reached, release);
        return true;
    }
    return false;
}

// The five boxes as the user found them, one bit each in the file's order.
long BoxesShown(HWND dialog)
{
    long shown = 0;
    for (const CSettingsKey& item : kSettingsKeys)
        shown = (shown << 1) | (IsChecked(dialog, item.box) ? 1 : 0);
    return shown;
}

// The user changes every box (in the order that enables each dependent box first), then
// presses the button.
void PlayTheUser(HWND dialog, int button)
{
    for (const CSettingsKey& item : kSettingsKeys)
        Click(dialog, item.box);
    Click(dialog, button);
}

int RunStart(CChild& child)
{
    CPlatformStandIns::Arm();
    HMODULE module = LoadLibraryA(child.Plugin().c_str());
    CPlatformStandIns::Disarm();
    child.Say("loaded", module != nullptr);
    child.SayCounts(module);
    if (module)
        FreeLibrary(module);
    child.Say("done", 1);
    return 0;
}

int RunSetup(CChild& child, int button)
{
    CHostWindow host;
    CLoadedPlugin plugin(child.Plugin());
    child.Say("loaded", plugin.Module() != nullptr);
    if (!plugin.Module())
        return 0;
    CPlatformStandIns::InstallInImports(plugin.Module());
    CPlatformStandIns::Arm();
    int result;
    bool shown;
    long boxes = -1;
    {
        CDialogDriver user([button, &boxes](HWND dialog) {
            boxes = BoxesShown(dialog);
            PlayTheUser(dialog, button);
        });
        result = plugin.OnPlugInSetup();
        shown = user.Found();
    }
    CPlatformStandIns::Disarm();
    child.Say("setup", result);
    child.Say("shown", shown);
    child.Say("boxes", boxes);
    child.Say("hostEnabled", IsWindowEnabled(host.Handle()) != FALSE);
    child.SayCounts(plugin.Module());
    plugin.Unload();
    child.Say("windowsLeft",
              static_cast<long>(standin::ThreadDialogs(GetCurrentThreadId()).size()));
    child.Say("done", 1);
    return 0;
}

// The exit, then the process ends as the host's does while the icon animates; "unload" meets
// the anomaly only in that end.
int RunExit(CChild& child, const std::string& folder, bool onlyTheEnd)
{
    CShellRecorder::LogTo(anomaly::ShellLogPath(folder, GetCurrentProcessId()));
    CHostWindow host;
    host.AddTrayIcon(128);
    // Never deleted: the process ends with the module in it, as the host's does.
    auto* plugin = new CLoadedPlugin(child.Plugin());
    child.Say("loaded", plugin->Module() != nullptr);
    if (!plugin->Module())
        return 0;
    CPlatformStandIns::InstallInImports(plugin->Module());
    if (!onlyTheEnd)
        CPlatformStandIns::Arm();
    child.Say("exit", plugin->OnExit());
    // Into the animation's pause after a frame, where it normally is; an anomaly may have
    // stopped it before.
    if (CShellRecorder::WaitForModify(onlyTheEnd ? kAnimationLimitMs : kWatchMs))
        CShellRecorder::WaitForTimedWait(kWatchMs);
    const double cpu = ProcessCpuMs();
    const double began = NowMs();
    standin::DispatchMessagesFor(kWatchMs);
    child.Say("cpuPercent", static_cast<long>(100 * (ProcessCpuMs() - cpu) / (NowMs() - began)));
    child.SayCounts(plugin->Module());
    child.Say("done", 1);
    // The end comes in a pause, as a host's mostly does: one that cuts a frame's shell call
    // short leaves the icon by design, which the process-end tests cover.
    if (CShellRecorder::WaitForModify(kWatchMs))
        CShellRecorder::WaitForTimedWait(kWatchMs);
    CPlatformStandIns::Arm();
    ExitProcess(0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const std::string folder = std::string(argv[1]) + "\\";
    const std::string scenario = argv[2];
    standin::SetDataFolder((folder + "data\\").c_str());
    CChild child(folder);
    CPlatformStandIns::LogCallsTo(anomaly::CallLogPath(folder, GetCurrentProcessId()));
    if (scenario == "start" && !CPlatformStandIns::InstallInExports(folder + "tools\\"))
        return 3;
    if (!Plan(argc, argv))
        return 2;
    if (scenario == "start")
        return RunStart(child);
    if (scenario == "setup-ok" || scenario == "setup-cancel")
        return RunSetup(child, scenario == "setup-ok" ? IDOK : IDCANCEL);
    if (scenario == "exit" || scenario == "unload")
        return RunExit(child, folder, scenario == "unload");
    return 2;
}
