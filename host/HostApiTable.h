#pragma once

#include <windows.h>

#include <memory>

class CBeckyMainWindow;

// The host's exported API, bound by name from the process's executable.
class CHostApiTable {
public:
    static const int kEntryCount = 54;

    CHostApiTable();
    ~CHostApiTable();
    CHostApiTable(const CHostApiTable&) = delete;
    CHostApiTable& operator=(const CHostApiTable&) = delete;

    // The two entries the plug-in calls, with the host's calling convention.
    using GetWindowHandlesEntry = BOOL(WINAPI*)(HWND* main, HWND* tree, HWND* list, HWND* view);
    using GetDataFolderEntry = LPCSTR(WINAPI*)();

    // 1 when every name was found; 0, and unbound again, at the first one missing.
    int Bind();

    GetWindowHandlesEntry GetWindowHandles() const;
    GetDataFolderEntry GetDataFolder() const;

    static const char* const kEntryNames[kEntryCount];

    FARPROC m_entries[kEntryCount] = {};
    HMODULE m_hostModule = nullptr;
    // Owns the view of the host's main window once the host has reported one.
    std::unique_ptr<CBeckyMainWindow> m_mainWindow;
};

// Defined with the other process-wide objects, in plugin/ProcessObjects.cpp.
extern std::unique_ptr<CHostApiTable> g_hostApi;

// The one table, made on first use; null only when it cannot be allocated.
CHostApiTable* GetHostApi();
// The table once every entry of it is bound; null before, or when it could not be.
CHostApiTable* GetBoundHostApi();
int BindHostApi();
