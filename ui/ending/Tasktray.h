#pragma once

#include <windows.h>

#include "base/Text.h"

class CWindow;

// One icon in the notification area, as the record handed to the shell describes it.
class CTasktray {
public:
    CTasktray();
    virtual ~CTasktray();

    CTasktray(const CTasktray&) = delete;
    CTasktray& operator=(const CTasktray&) = delete;

    // The first binding stays.
    void SetWindow(const CWindow& window, UINT id);
    void SetIcon(HICON icon);
    void SetCallbackMessage(UINT message);
    // Cut to the shell's 63 bytes, never inside a two-byte character.
    void SetTip(const CText& text);
    // Adds the icon, or modifies it once added.
    int Notify();
    int Delete();
    void DestroyOwnedIcon();
    // Leaves the icon to go with the process: from now on nothing asks the shell to remove it.
    void ForgetShellEntry();

    // Takes away the icon of any window, given the window and the icon's ID.
    static int Remove(const CWindow& window, UINT id);

    NOTIFYICONDATAA m_notifyIconData = FreshRecord();
    int m_added = 0;
    int m_ownsIcon = 1;

private:
    // The shell's original record, empty but for its size.
    static NOTIFYICONDATAA FreshRecord();
};
