#pragma once

#include "ui/framework/UiGothicDialog.h"

// The "now saving" dialog over the desktop. Deleting the object leaves the window, which goes
// with the host's process, or with the next exit, which destroys it before making its own.
class CEndingDlg : public CUiGothicDialog {
public:
    CEndingDlg() : m_topMost(0) {}
    ~CEndingDlg() override = default;

    // Makes the hidden modeless window from template 101; 0 when one exists or none was made.
    int Create();
    // Shows the window; with SW_SHOW it is painted before the busy host gets control back.
    int Show(int showCommand);
    int OnInitDialog() override;

    int m_topMost;
};
