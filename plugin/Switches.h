#pragma once

#include "resources/ResourceIds.h"
#include "settings/EndingInfo.h"
#include "ui/ending/SetupDlg.h"

// One of the plug-in's switches: its key in the settings file, its default, and where it is
// held: the settings record's member, the setup dialog's member and the check box it shows in.
struct CSwitch {
    const char* key;
    int defaultValue;
    int CEndingInfo::*setting;
    int CSetupDlg::*choice;
    int checkBox;
};

// The one table of the switches, which the settings record, the setup dialog and the setup
// export walk. In the order in which they are read, written, set and shown: a new settings
// file lists its keys in this order.
inline constexpr CSwitch kSwitches[] = {
    {"EndingDialog", 1, &CEndingInfo::EndingDialog, &CSetupDlg::m_endingDialog, IDC_DIALOG},
    {"EndingDialogTopMost", 0, &CEndingInfo::EndingDialogTopMost,
     &CSetupDlg::m_endingDialogTopMost, IDC_TOP_MOST},
    {"EndingIcon", 1, &CEndingInfo::EndingIcon, &CSetupDlg::m_endingIcon, IDC_TASKTRAY_ICON},
    {"EndingIconAnimation", 1, &CEndingInfo::EndingIconAnimation,
     &CSetupDlg::m_endingIconAnimation, IDC_ANIMATION},
    {"HideBecky", 1, &CEndingInfo::HideBecky, &CSetupDlg::m_hideBecky, IDC_HIDE_BECKY},
};
