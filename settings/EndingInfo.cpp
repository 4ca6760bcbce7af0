#include "settings/EndingInfo.h"

#include "base/LastFailure.h"
#include "settings/FileReplacement.h"

// A new file lists its keys in this order.
const CSwitchField kSwitchFields[kSwitchCount] = {
    {"EndingDialog", 1, &CEndingInfo::EndingDialog},
    {"EndingDialogTopMost", 0, &CEndingInfo::EndingDialogTopMost},
    {"EndingIcon", 1, &CEndingInfo::EndingIcon},
    {"EndingIconAnimation", 1, &CEndingInfo::EndingIconAnimation},
    {"HideBecky", 1, &CEndingInfo::HideBecky},
};

namespace {

const char kSection[] = "Tolvanix";

bool InSet(CEndingInfo::CSwitchSet set, size_t at)
{
    return (set >> at) & 1;
}

}  // namespace

CEndingInfo::CEndingInfo()
{
    CEndingInfo::SetDefaults();
}

int CEndingInfo::Load()
{
    for (const CSwitchField& item : kSwitchFields)
        this->*item.member = ReadInt(kSection, item.key, item.defaultValue);
    return 1;
}

int CEndingInfo::Save()
{
    WriteWhole(true);
    return 1;
}

void CEndingInfo::SetDefaults()
{
    for (const CSwitchField& item : kSwitchFields)
        this->*item.member = item.defaultValue;
}

DWORD CEndingInfo::WriteWhole(bool replacing, CSwitchSet switches)
{
    if (FilePath.IsEmpty())
        return ERROR_PATH_NOT_FOUND;
    EnsureFolder();
    CFileReplacement replacement(FilePath);
    if (!replacement.Begin(replacing))
        return LastFailure();
    CIniFile file;
    file.FilePath = replacement.Path();
    if (file.FilePath.Failed())
        return ERROR_NOT_ENOUGH_MEMORY;
    for (size_t at = 0; at < kSwitchCount; ++at) {
        const CSwitchField& item = kSwitchFields[at];
        if (InSet(switches, at) && !file.WriteBool(kSection, item.key, this->*item.member))
            return LastFailure();
    }
    for (size_t at = 0; at < kSwitchCount; ++at) {
        const CSwitchField& item = kSwitchFields[at];
        // A key that is missing reads as -1, which no save writes.
        if (InSet(switches, at) &&
            file.ReadInt(kSection, item.key, -1) != (this->*item.member ? 1 : 0))
            return ERROR_WRITE_FAULT;
    }
    return replacement.Commit(replacing);
}

void CEndingInfo::SaveEdit(const CEndingInfo& before)
{
    if (m_holdsUsersValues) {
        Save();
        return;
    }
    const CSwitchSet changed = ChangedFrom(before);
    if (changed && WriteWhole(true, changed) == ERROR_SUCCESS) {
        Load();
        m_holdsUsersValues = true;
    }
}

CEndingInfo::CSwitchSet CEndingInfo::ChangedFrom(const CEndingInfo& other) const
{
    CSwitchSet changed = 0;
    for (size_t at = 0; at < kSwitchCount; ++at) {
        int CEndingInfo::*member = kSwitchFields[at].member;
        if (this->*member != other.*member)
            changed |= 1u << at;
    }
    return changed;
}

bool CEndingInfo::IsCutShort() const
{
    bool cut = false;
    for (const CSwitchField& item : kSwitchFields) {
        // No value reads both as 0 and as 1: only a missing key gives each default back.
        const bool missing =
            ReadInt(kSection, item.key, 0) == 0 && ReadInt(kSection, item.key, 1) == 1;
        if (missing)
            cut = true;
        else if (cut)
            return false;
    }
    return cut;
}
