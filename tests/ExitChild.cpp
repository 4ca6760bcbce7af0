// A host process that exits while the plug-in's icon animates:
//   exit_child LOG FOLDER EVENT [stall]
// It sets the named EVENT just before it exits. With "stall", the animation's next frame never
// comes back from the shell, so the process ends that thread inside the call, holding the lock
// the call took.
#include <string>

#include "standin/StandInHost.h"
#include "tests/PluginHost.h"
#include "tests/TestSupport.h"

int main(int argc, char** argv)
{
    if (argc != 4 && !(argc == 5 && std::string(argv[4]) == "stall"))
        return 2;
    testing_support::CShellRecorder::LogTo(argv[1]);
    std::string folder = std::string(argv[2]) + "\\";
    testing_support::MakeFolders(folder + "data");
    standin::SetDataFolder((folder + "data\\").c_str());
    testing_support::CHostWindow host;
    auto* plugin = new testing_support::CLoadedPlugin(folder + "Tolvanix.dll");
    if (!plugin->Module())
        return 3;
    plugin->OnExit();
    Sleep(400);
    if (argc == 5) {
        testing_support::CShellRecorder::StallModifies();
        if (!testing_support::CShellRecorder::WaitForStall(10000))
            return 4;
    } else {
        // End the process in a pause between frames, where the thread holds nothing.
        if (!testing_support::CShellRecorder::WaitForTimedWait(10000))
            return 5;
    }
    HANDLE exitBegins = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
    if (!exitBegins)
        return 6;
    SetEvent(exitBegins);
    // The process ends here, with the icon up and its thread running.
    ExitProcess(0);
}
