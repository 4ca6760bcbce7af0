// A host process that only starts the plug-in, at the same moment as others:
//   start_child FOLDER EVENT
// Once the named EVENT is set, it loads FOLDER\tools\Tolvanix.dll with FOLDER\data\ as its data
// folder, and ends. Its exit code: 0 when the plug-in loaded.
#include <windows.h>

#include <string>

#include "standin/StandInHost.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const std::string folder = std::string(argv[1]) + "\\";
    const std::string data = folder + "data\\";
    standin::SetDataFolder(data.c_str());
    HANDLE start = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (!start || WaitForSingleObject(start, 60000) != WAIT_OBJECT_0)
        return 3;
    return LoadLibraryA((folder + "tools\\Tolvanix.dll").c_str()) ? 0 : 4;
}
