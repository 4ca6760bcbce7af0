#pragma once

#include "base/OwnedHandle.h"
#include "settings/EndingInfo.h"
#include "ui/framework/UiGothicDialog.h"

// The setup dialog: the five switches as check boxes. Owns its two caption icons, which it
// releases when a run ends.
class CSetupDlg : public CUiGothicDialog {
public:
    CSetupDlg();
    ~CSetupDlg() override;

    int OnCommand(WPARAM wParam, LPARAM lParam) override;
    int OnInitDialog() override;
    int OnOK() override;
    virtual void SetDefaults();

    // IDOK after OK, IDCANCEL after Cancel (or when the dialog could not be bound), the
    // system's failure value when no dialog could be made.
    INT_PTR DoModal(CWindow* parent);
    // Stores the two master boxes (Dialog, Tasktray Icon) in their switches and enables each
    // dependent box only while its master box is ticked.
    void UpdateControls();

    // The switches from the settings record into the dialog's members, and back.
    void CopyFrom(const CEndingInfo& settings);
    void CopyTo(CEndingInfo& settings) const;

    int m_endingDialog = 0;
    int m_endingDialogTopMost = 0;
    int m_endingIcon = 0;
    int m_endingIconAnimation = 0;
    int m_hideBecky = 0;

private:
    // The check box's wrapper, valid until the next call.
    CWindow& Box(int id);
    int IsChecked(int id);
    void SetChecked(int id, int checked);

    CWindow m_boxView;
    COwnedIcon m_smallIcon;
    COwnedIcon m_bigIcon;
};
