// A host process that exits while the plug-in's icon animates: exit_child LOG FOLDER [stall]
// With "stall", the animation's next frame never comes back from the shell, so the process
// ends that thread inside the call, holding the lock the call took.
#include <string>

#include "standin/StandInHost.h"
#include "tests/PluginHost.h"
#include "tests/TestSupport.h"

int main(int argc, char** argv)
{
    if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "stall"))
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
    if (argc == 4) {
        testing_support::CShellRecorder::StallModifies();
        if (!testing_support::CShellRecorder::WaitForStall(5000))
            return 4;
    } else {
        // End the process in a pause between frames, where the thread holds nothing.
        if (!testing_support::CShellRecorder::WaitForTimedWait(2000))
            return 5;
    }
    // The process ends here, with the icon up and its thread running.
    ExitProcess(0);
}
