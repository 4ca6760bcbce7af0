#include "settings/EndingInfo.h"

#include "plugin/Switches.h"

namespace {

const char kSection[] = "Tolvanix";

}  // namespace

CEndingInfo::CEndingInfo()
{
    CEndingInfo::SetDefaults();
}

int CEndingInfo::Load()
{
    for (const CSwitch& item : kSwitches)
        this->*item.setting = ReadInt(kSection, item.key, item.defaultValue);
    return 1;
}

int CEndingInfo::Save()
{
    for (const CSwitch& item : kSwitches)
        WriteBool(kSection, item.key, this->*item.setting);
    return 1;
}

void CEndingInfo::SetDefaults()
{
    for (const CSwitch& item : kSwitches)
        this->*item.setting = item.defaultValue;
}
