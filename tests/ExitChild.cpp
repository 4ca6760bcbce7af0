// A host process that exits while the plug-in's icon animates: exit_child LOG FOLDER
#include <string>

#include "standin/StandInHost.h"
#include "tests/PluginHost.h"
#include "tests/TestSupport.h"

int main(int argc, char** argv)
{
    if (argc != 3)
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
    // Returning ends the process with the icon up and its thread running.
    return 0;
}
