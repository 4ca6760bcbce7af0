// Shows each dialog template of the plug-in as the user's language picks it and saves a
// picture of it, so that the layout can be looked at: dialog_snapshots FOLDER SUFFIX
#include <cstdio>
#include <string>

#include "resources/ResourceIds.h"
#include "settings/ModuleInstance.h"
#include "standin/Messages.h"
#include "standin/Snapshot.h"
#include "standin/TemplateDialog.h"
#include "ui/framework/UiGothicDialog.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: dialog_snapshots FOLDER SUFFIX\n");
        return 2;
    }
    SetModuleInstance(GetModuleHandleA(nullptr));
    const struct {
        int templateId;
        const char* name;
    } dialogs[] = {{IDD_ENDING, "ending-dialog"}, {IDD_SETUP, "setup-dialog"}};
    int failures = 0;
    for (const auto& dialog : dialogs) {
        CUiGothicDialog window;
        if (!standin::OpenOverDesktop(window, dialog.templateId)) {
            ++failures;
            continue;
        }
        window.ShowWindow(SW_SHOW);
        window.UpdateWindow();
        standin::DispatchMessagesFor(standin::kSettleMs);
        std::string path = std::string(argv[1]) + "\\" + dialog.name + "-" + argv[2] + ".bmp";
        if (standin::SaveWindowSnapshot(window.m_hWnd, path))
            std::printf("%s\n", path.c_str());
        else
            ++failures;
        DestroyWindow(window.m_hWnd);
    }
    return failures ? 1 : 0;
}
