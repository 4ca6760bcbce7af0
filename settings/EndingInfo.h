#pragma once

#include <windows.h>

#include "settings/IniFile.h"

const size_t kSwitchCount = 5;

// The five switches that govern what the plug-in shows while the host exits.
class CEndingInfo : public CAppInfo {
public:
    // A set of the switches, one bit each in the file's order.
    using CSwitchSet = unsigned;
    static const CSwitchSet kEverySwitch = (1u << kSwitchCount) - 1;

    CEndingInfo();

    int Load() override;
    // Replaces the file whole with one that holds the five switches; every other line stays.
    int Save() override;
    virtual void SetDefaults();

    // Writes the switches of the set into a new file, a copy of the current one when it
    // replaces it, and moves it into place whole once it holds each of them as written:
    // ERROR_SUCCESS, or why not (ERROR_ALREADY_EXISTS: the file was there, not to be replaced).
    DWORD WriteWhole(bool replacing, CSwitchSet switches = kEverySwitch);
    // What setup's OK saves: every switch when the record holds the user's values, otherwise
    // only those the user changed from before, so that defaults never replace values that
    // could not be read; the file is then read, where it is there now.
    void SaveEdit(const CEndingInfo& before);
    // The switches whose values differ from the other record's.
    CSwitchSet ChangedFrom(const CEndingInfo& other) const;
    // Whether the file holds only the first keys in the order a save writes them, short of
    // all five: what a save one key at a time leaves when the host dies during it.
    bool IsCutShort() const;

    int EndingDialog = 0;
    int EndingDialogTopMost = 0;
    int EndingIcon = 0;
    int EndingIconAnimation = 0;
    int HideBecky = 0;
    // The switches are the user's: read from a settings file, or the defaults where it is
    // known that there is none. False while a file that may be there could not be read.
    bool m_holdsUsersValues = false;
};

// One of the five switches: its key in the settings file, its default and the record's member.
// The table lists them in the file's order, which every other list of them follows.
struct CSwitchField {
    const char* key;
    int defaultValue;
    int CEndingInfo::*member;
};
extern const CSwitchField kSwitchFields[kSwitchCount];

// Defined with the other process-wide objects, in plugin/ProcessObjects.cpp.
extern CEndingInfo g_endingInfo;
