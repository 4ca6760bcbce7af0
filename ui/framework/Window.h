#pragma once

#include <windows.h>

#include "base/PlainList.h"
#include "base/Text.h"

class CDialog;

// A view of one window handle. It never creates the window, and destroys it only as the
// system's default answer to WM_CLOSE does (OnClose, which dialogs answer with Cancel
// instead); dialogs register themselves so that their messages are routed to the object's
// virtual operations.
class CWindow {
public:
    CWindow();
    // Binds to the handle without registering; takes over the routing state of a wrapper
    // registered for the same handle.
    explicit CWindow(HWND window);
    virtual ~CWindow();

    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    virtual int OnCommand(WPARAM wParam, LPARAM lParam);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnGetMinMaxInfo(MINMAXINFO* info);
    virtual int OnCreate(CREATESTRUCTA* create);
    virtual int OnNotify(WPARAM controlId, NMHDR* header);
    virtual void OnDestroy();
    virtual void OnClose();
    virtual void OnActivate(UINT state, CWindow* other, int minimized);
    virtual void OnSetFocus(CWindow* lost);
    virtual void OnKillFocus(CWindow* gaining);
    virtual int OnSetCursor(CWindow* window, UINT hitTest, UINT mouseMessage);
    // No message reaches it and nothing calls it; it answers 1. It keeps its place among the
    // virtual operations, which are in the order of the plug-in's earlier versions.
    virtual int OnReserved(INT_PTR value);
    // Repaints this window and throws its other queued messages away; never waits. Part of
    // the wrapper's design; nothing in the plug-in calls it.
    virtual void PumpPaintMessages();

    static CWindow* Lookup(HWND window);
    // The registered wrapper, or a new one made, registered and kept until unload.
    static CWindow* FromHandle(HWND window);
    static LRESULT RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // False when the registry had no room for the window: its messages reach no wrapper.
    bool Register();

    // The thin operations: the system call on m_hWnd, its result unchanged.
    int ShowWindow(int showCommand);
    // Part of the wrapper's design; nothing in the plug-in calls it.
    int InvalidateRect(int erase);
    int UpdateWindow();
    LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Part of the wrapper's design; nothing in the plug-in calls it.
    int GetWindowTextLength();
    // Used by the host's main window around its paint pump, which nothing in the plug-in runs.
    CText GetWindowText();
    int SetWindowText(const CText& text);
    int EnableWindow(int enable);
    int SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);

    // The wrapper as a dialog when it is one (a run-time type test without the C++ runtime's
    // type information, which the module does not carry), else null.
    CDialog* AsDialog() const { return m_asDialog; }

    HWND m_hWnd = nullptr;
    WNDPROC m_prevWndProc = nullptr;
    // Handed on with m_prevWndProc from a registered wrapper to a later one of the same window;
    // nothing in the plug-in reads it.
    int m_flag = 1;

    // The process-wide map from handle to wrapper; it owns no wrapper. It is destroyed at
    // unload before objects that still hold windows (the ending dialog and icon), and from
    // then on finds nothing and takes nothing, so that a message arriving meanwhile (the shell
    // calls back while the icon is removed) reaches no deleted wrapper.
    class CRegistry {
    public:
        CRegistry() { s_open = true; }
        ~CRegistry() { s_open = false; }
        CRegistry(const CRegistry&) = delete;
        CRegistry& operator=(const CRegistry&) = delete;
        static bool IsOpen() { return s_open; }

        CWindow* Find(HWND window) const;
        // False without room for a new entry: the window's messages then reach no wrapper.
        bool Enter(HWND window, CWindow* wrapper);
        void Remove(HWND window);
        // Removes the entry only while it names this wrapper.
        void RemoveIfNaming(HWND window, const CWindow* wrapper);

    private:
        struct CEntry {
            HWND window;
            CWindow* wrapper;
        };
        // The entry's place, or the count when there is none.
        size_t IndexOf(HWND window) const;

        CPlainList<CEntry> m_entries;
        static bool s_open;
    };

    // Wrappers the list made and owns until it goes: the made wrappers of FromHandle, a
    // dialog's control wrappers.
    class CWrapperList {
    public:
        CWrapperList() = default;
        ~CWrapperList();
        CWrapperList(const CWrapperList&) = delete;
        CWrapperList& operator=(const CWrapperList&) = delete;

        // A new wrapper of the handle (attach constructor), kept; null without room for it.
        CWindow* Make(HWND window);
        // The first kept wrapper of the handle, or null.
        CWindow* Find(HWND window) const;
        size_t Count() const { return m_wrappers.Count(); }

    private:
        CPlainList<CWindow*> m_wrappers;
    };

    // Both defined with the other process-wide objects, in plugin/ProcessObjects.cpp.
    static CRegistry s_windowRegistry;
    static CWrapperList s_madeWindows;

protected:
    CDialog* m_asDialog = nullptr;

private:
    LRESULT PassOn(UINT message, WPARAM wParam, LPARAM lParam);
};
