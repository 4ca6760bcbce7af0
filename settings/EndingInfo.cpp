#include "settings/EndingInfo.h"

namespace {

const char kSection[] = "Tolvanix";

struct CSwitchKey {
    const char* name;
    int CEndingInfo::*field;
    int defaultValue;
};

// Read and written in this order; a new file holds the keys in this order.
const CSwitchKey kSwitchKeys[] = {
    {"EndingDialog", &CEndingInfo::EndingDialog, 1},
    {"EndingDialogTopMost", &CEndingInfo::EndingDialogTopMost, 0},
    {"EndingIcon", &CEndingInfo::EndingIcon, 1},
    {"EndingIconAnimation", &CEndingInfo::EndingIconAnimation, 1},
    {"HideBecky", &CEndingInfo::HideBecky, 1},
};

}  // namespace

CEndingInfo::CEndingInfo()
{
    CEndingInfo::SetDefaults();
}

int CEndingInfo::Load()
{
    for (const CSwitchKey& key : kSwitchKeys)
        this->*key.field = ReadInt(kSection, key.name, key.defaultValue);
    return 1;
}

int CEndingInfo::Save()
{
    for (const CSwitchKey& key : kSwitchKeys)
        WriteBool(kSection, key.name, this->*key.field);
    return 1;
}

void CEndingInfo::SetDefaults()
{
    for (const CSwitchKey& key : kSwitchKeys)
        this->*key.field = key.defaultValue;
}
