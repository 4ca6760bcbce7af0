// A host process that ends while the plug-in's ending display is up, at the moment its plan
// names (see CProcessEndPlan):
//   exit_child FOLDER EVENT PLAN...
// It loads its own copy of the plug-in from FOLDER and logs the tray calls there; it sets the
// named EVENT just before it calls ExitProcess. Its exit code says how far it got otherwise.
#include <string>
#include <vector>

#include "standin/Messages.h"
#include "standin/StandInHost.h"
#include "tests/PluginHost.h"
#include "tests/ProcessEnd.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

// Generous: starting the animation takes seconds in an emulated machine.
const DWORD kConditionLimitMs = 20000;

// Waits, the host's thread answering messages, until the plan's moment; otherwise the reason.
DWORD WaitForTheEnd(const CProcessEndPlan& plan)
{
    switch (plan.end) {
    case CProcessEndPlan::kAtOnce:
    case CProcessEndPlan::kBeforeThreadRuns:
        return kChildEnded;
    case CProcessEndPlan::kInFirstPause:
        // The thread's first act is its first pause.
        if (!CShellRecorder::WaitForTimedWait(kConditionLimitMs))
            return kChildNoPause;
        standin::DispatchMessagesFor(plan.offsetMs);
        return kChildEnded;
    case CProcessEndPlan::kInFrame:
        return CShellRecorder::WaitForModify(kConditionLimitMs) ? kChildEnded : kChildNoFrame;
    case CProcessEndPlan::kInPause:
        if (!CShellRecorder::WaitForModify(kConditionLimitMs))
            return kChildNoFrame;
        return CShellRecorder::WaitForTimedWait(kConditionLimitMs) ? kChildEnded : kChildNoPause;
    case CProcessEndPlan::kAfter:
        standin::DispatchMessagesFor(plan.offsetMs);
        return kChildEnded;
    case CProcessEndPlan::kStalled:
        CShellRecorder::StallModifies();
        return CShellRecorder::WaitForStall(kConditionLimitMs) ? kChildEnded : kChildNoStall;
    }
    return kChildUsage;
}

}  // namespace

int main(int argc, char** argv)
{
    CProcessEndPlan plan;
    if (argc < 3 || !plan.Parse(std::vector<std::string>(argv + 3, argv + argc)))
        return kChildUsage;
    const std::string folder = std::string(argv[1]) + "\\";
    CShellRecorder::LogTo(folder + "shell.log");
    CShellRecorder::AnswerSlowly(plan.shellDelayMs);
    if (plan.reenter)
        CShellRecorder::Reenter();
    if (plan.end == CProcessEndPlan::kBeforeThreadRuns)
        CShellRecorder::HoldNewThreads();

    MakeFolders(folder + "data\\Plugins");
    CSwitchValues switches = kDefaultSwitches;
    switches.animation = plan.animation;
    WriteFileText(folder + "data\\Plugins\\Tolvanix.ini", SettingsFileText(switches));
    standin::SetDataFolder((folder + "data\\").c_str());
    CHostWindow host;
    host.AddTrayIcon(128);
    // Never deleted: the process ends with the module in it, as the host's does.
    auto* plugin = new CLoadedPlugin(folder + "Tolvanix.dll");
    if (!plugin->Module())
        return kChildNoPlugin;
    plugin->OnExit();
    const DWORD reached = WaitForTheEnd(plan);
    if (reached != kChildEnded)
        return static_cast<int>(reached);
    if (plan.freeFirst)
        plugin->Unload();
    HANDLE exitBegins = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    if (!exitBegins)
        return kChildNoExitEvent;
    SetEvent(exitBegins);
    ExitProcess(kChildEnded);
}
