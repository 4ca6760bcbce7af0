#include "settings/EndingInfo.h"

namespace {

const char kSection[] = "Tolvanix";

// The settings file's five keys, their defaults and the record's members, in the order in
// which they are read, written and set: a new file lists its keys in this order.
struct CFileSwitch {
    const char* key;
    int defaultValue;
    int CEndingInfo::*member;
};

const CFileSwitch kFileSwitches[] = {
    {"EndingDialog", 1, &CEndingInfo::EndingDialog},
    {"EndingDialogTopMost", 0, &CEndingInfo::EndingDialogTopMost},
    {"EndingIcon", 1, &CEndingInfo::EndingIcon},
    {"EndingIconAnimation", 1, &CEndingInfo::EndingIconAnimation},
    {"HideBecky", 1, &CEndingInfo::HideBecky},
};

}  // namespace

CEndingInfo::CEndingInfo()
{
    CEndingInfo::SetDefaults();
}

int CEndingInfo::Load()
{
    for (const CFileSwitch& item : kFileSwitches)
        this->*item.member = ReadInt(kSection, item.key, item.defaultValue);
    return 1;
}

int CEndingInfo::Save()
{
    SaveConfirmed();
    return 1;
}

void CEndingInfo::SetDefaults()
{
    for (const CFileSwitch& item : kFileSwitches)
        this->*item.member = item.defaultValue;
}

bool CEndingInfo::SaveConfirmed()
{
    bool written = true;
    for (const CFileSwitch& item : kFileSwitches)
        written = WriteBool(kSection, item.key, this->*item.member) && written;
    if (!written)
        return false;
    for (const CFileSwitch& item : kFileSwitches) {
        // A key that is missing reads as -1, which no save writes.
        if (ReadInt(kSection, item.key, -1) != (this->*item.member ? 1 : 0))
            return false;
    }
    return true;
}
