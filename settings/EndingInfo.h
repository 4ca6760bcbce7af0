#pragma once

#include "settings/IniFile.h"

// The five switches that govern what the plug-in shows while the host exits.
class CEndingInfo : public CAppInfo {
public:
    CEndingInfo();

    int Load() override;
    int Save() override;
    virtual void SetDefaults();

    int EndingDialog;
    int EndingDialogTopMost;
    int EndingIcon;
    int EndingIconAnimation;
    int HideBecky;
};

extern CEndingInfo g_endingInfo;
