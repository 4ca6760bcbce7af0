#include "standin/StandInHost.h"

#include <string>

namespace {

HWND g_mainWindow = nullptr;
bool g_hasDataFolder = true;
std::string g_dataFolder = "C:\\";
int g_windowHandleRequests = 0;

}  // namespace

namespace standin {

void SetMainWindow(HWND window)
{
    g_mainWindow = window;
}

void SetDataFolder(const char* folder)
{
    g_hasDataFolder = folder != nullptr;
    g_dataFolder = folder ? folder : "";
}

int WindowHandleRequests()
{
    return g_windowHandleRequests;
}

}  // namespace standin

#define STANDIN_API extern "C" __declspec(dllexport)

STANDIN_API BOOL WINAPI BKA_GetWindowHandles(HWND* main, HWND* tree, HWND* list, HWND* view)
{
    ++g_windowHandleRequests;
    if (main)
        *main = g_mainWindow;
    for (HWND* other : {tree, list, view}) {
        if (other)
            *other = nullptr;
    }
    return g_mainWindow != nullptr;
}

STANDIN_API LPCSTR WINAPI BKA_GetDataFolder()
{
    return g_hasDataFolder ? g_dataFolder.c_str() : nullptr;
}

// The entries the plug-in only binds: present by name, never called.
#define STANDIN_UNUSED_ENTRY(name) \
    STANDIN_API int WINAPI name() { return 0; }

STANDIN_UNUSED_ENTRY(BKA_GetVersion)
STANDIN_UNUSED_ENTRY(BKA_Command)
STANDIN_UNUSED_ENTRY(BKA_RegisterCommand)
STANDIN_UNUSED_ENTRY(BKA_RegisterUICallback)
STANDIN_UNUSED_ENTRY(BKA_GetTempFolder)
STANDIN_UNUSED_ENTRY(BKA_GetTempFileName)
STANDIN_UNUSED_ENTRY(BKA_GetCurrentMailBox)
STANDIN_UNUSED_ENTRY(BKA_SetCurrentMailBox)
STANDIN_UNUSED_ENTRY(BKA_GetCurrentFolder)
STANDIN_UNUSED_ENTRY(BKA_SetCurrentFolder)
STANDIN_UNUSED_ENTRY(BKA_GetFolderDisplayName)
STANDIN_UNUSED_ENTRY(BKA_SetMessageText)
STANDIN_UNUSED_ENTRY(BKA_GetCurrentMail)
STANDIN_UNUSED_ENTRY(BKA_SetCurrentMail)
STANDIN_UNUSED_ENTRY(BKA_GetNextMail)
STANDIN_UNUSED_ENTRY(BKA_SetSel)
STANDIN_UNUSED_ENTRY(BKA_AppendMessage)
STANDIN_UNUSED_ENTRY(BKA_MoveSelectedMessages)
STANDIN_UNUSED_ENTRY(BKA_GetStatus)
STANDIN_UNUSED_ENTRY(BKA_ComposeMail)
STANDIN_UNUSED_ENTRY(BKA_GetCharSet)
STANDIN_UNUSED_ENTRY(BKA_GetSource)
STANDIN_UNUSED_ENTRY(BKA_SetSource)
STANDIN_UNUSED_ENTRY(BKA_GetHeader)
STANDIN_UNUSED_ENTRY(BKA_GetText)
STANDIN_UNUSED_ENTRY(BKA_SetText)
STANDIN_UNUSED_ENTRY(BKA_GetSpecifiedHeader)
STANDIN_UNUSED_ENTRY(BKA_SetSpecifiedHeader)
STANDIN_UNUSED_ENTRY(BKA_CompGetCharSet)
STANDIN_UNUSED_ENTRY(BKA_CompGetSource)
STANDIN_UNUSED_ENTRY(BKA_CompSetSource)
STANDIN_UNUSED_ENTRY(BKA_CompGetHeader)
STANDIN_UNUSED_ENTRY(BKA_CompGetSpecifiedHeader)
STANDIN_UNUSED_ENTRY(BKA_CompSetSpecifiedHeader)
STANDIN_UNUSED_ENTRY(BKA_CompGetText)
STANDIN_UNUSED_ENTRY(BKA_CompSetText)
STANDIN_UNUSED_ENTRY(BKA_CompAttachFile)
STANDIN_UNUSED_ENTRY(BKA_Alloc)
STANDIN_UNUSED_ENTRY(BKA_ReAlloc)
STANDIN_UNUSED_ENTRY(BKA_Free)
STANDIN_UNUSED_ENTRY(BKA_ISO_2022_JP)
STANDIN_UNUSED_ENTRY(BKA_ISO_2022_KR)
STANDIN_UNUSED_ENTRY(BKA_HZ_GB2312)
STANDIN_UNUSED_ENTRY(BKA_ISO_8859_2)
STANDIN_UNUSED_ENTRY(BKA_EUC_JP)
STANDIN_UNUSED_ENTRY(BKA_UTF_7)
STANDIN_UNUSED_ENTRY(BKA_UTF_8)
STANDIN_UNUSED_ENTRY(BKA_B64Convert)
STANDIN_UNUSED_ENTRY(BKA_QPConvert)
STANDIN_UNUSED_ENTRY(BKA_MIMEHeader)
STANDIN_UNUSED_ENTRY(BKA_SerializeRcpts)
// A host that lacks the last entry lets the tests see the module refuse to load.
#ifndef STANDIN_WITHOUT_CONNECT
STANDIN_UNUSED_ENTRY(BKA_Connect)
#endif
