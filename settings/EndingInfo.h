#pragma once

#include "settings/IniFile.h"

// The five switches that govern what the plug-in shows while the host exits.
class CEndingInfo : public CAppInfo {
public:
    CEndingInfo();

    int Load() override;
    int Save() override;
    virtual void SetDefaults();

    // Saves the switches; true only when every write succeeded and the file then holds each
    // switch as written.
    bool SaveConfirmed();

    int EndingDialog = 0;
    int EndingDialogTopMost = 0;
    int EndingIcon = 0;
    int EndingIconAnimation = 0;
    int HideBecky = 0;
};

// Defined with the other process-wide objects, in plugin/ProcessObjects.cpp.
extern CEndingInfo g_endingInfo;
