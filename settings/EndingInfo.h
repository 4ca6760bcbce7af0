#pragma once

#include "settings/IniFile.h"

// The five switches that govern what the plug-in shows while the host exits.
class CEndingInfo : public CAppInfo {
public:
    CEndingInfo();

    int Load() override;
    int Save() override;
    virtual void SetDefaults();

    int EndingDialog = 0;
    int EndingDialogTopMost = 0;
    int EndingIcon = 0;
    int EndingIconAnimation = 0;
    int HideBecky = 0;
};

extern CEndingInfo g_endingInfo;
