#include "host/HostApiTable.h"

#include <new>

#include "host/BeckyMainWindow.h"

namespace {

const int kGetWindowHandlesSlot = 2;
const int kGetDataFolderSlot = 5;

template <typename Entry>
Entry EntryAs(FARPROC address)
{
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(address));
}

}  // namespace

// Binding order: the slot of each entry is its place in this list.
const char* const CHostApiTable::kEntryNames[kEntryCount] = {
    "BKA_GetVersion", "BKA_Command", "BKA_GetWindowHandles", "BKA_RegisterCommand",
    "BKA_RegisterUICallback", "BKA_GetDataFolder", "BKA_GetTempFolder", "BKA_GetTempFileName",
    "BKA_GetCurrentMailBox", "BKA_SetCurrentMailBox", "BKA_GetCurrentFolder",
    "BKA_SetCurrentFolder", "BKA_GetFolderDisplayName", "BKA_SetMessageText",
    "BKA_GetCurrentMail", "BKA_SetCurrentMail", "BKA_GetNextMail", "BKA_SetSel",
    "BKA_AppendMessage", "BKA_MoveSelectedMessages", "BKA_GetStatus", "BKA_ComposeMail",
    "BKA_GetCharSet", "BKA_GetSource", "BKA_SetSource", "BKA_GetHeader", "BKA_GetText",
    "BKA_SetText", "BKA_GetSpecifiedHeader", "BKA_SetSpecifiedHeader", "BKA_CompGetCharSet",
    "BKA_CompGetSource", "BKA_CompSetSource", "BKA_CompGetHeader",
    "BKA_CompGetSpecifiedHeader", "BKA_CompSetSpecifiedHeader", "BKA_CompGetText",
    "BKA_CompSetText", "BKA_CompAttachFile", "BKA_Alloc", "BKA_ReAlloc", "BKA_Free",
    "BKA_ISO_2022_JP", "BKA_ISO_2022_KR", "BKA_HZ_GB2312", "BKA_ISO_8859_2", "BKA_EUC_JP",
    "BKA_UTF_7", "BKA_UTF_8", "BKA_B64Convert", "BKA_QPConvert", "BKA_MIMEHeader",
    "BKA_SerializeRcpts", "BKA_Connect",
};

CHostApiTable::CHostApiTable() = default;

CHostApiTable::~CHostApiTable() = default;

int CHostApiTable::Bind()
{
    if (m_hostModule)
        return 1;
    m_hostModule = GetModuleHandleA(nullptr);
    if (!m_hostModule)
        return 0;
    for (int slot = 0; slot < kEntryCount; ++slot) {
        m_entries[slot] = GetProcAddress(m_hostModule, kEntryNames[slot]);
        if (!m_entries[slot]) {
            m_hostModule = nullptr;
            return 0;
        }
    }
    return 1;
}

CHostApiTable::GetWindowHandlesEntry CHostApiTable::GetWindowHandles() const
{
    return EntryAs<GetWindowHandlesEntry>(m_entries[kGetWindowHandlesSlot]);
}

CHostApiTable::GetDataFolderEntry CHostApiTable::GetDataFolder() const
{
    return EntryAs<GetDataFolderEntry>(m_entries[kGetDataFolderSlot]);
}

CHostApiTable* GetHostApi()
{
    if (!g_hostApi)
        g_hostApi.reset(new (std::nothrow) CHostApiTable);
    return g_hostApi.get();
}

CHostApiTable* GetBoundHostApi()
{
    CHostApiTable* table = g_hostApi.get();
    return table && table->m_hostModule ? table : nullptr;
}

int BindHostApi()
{
    CHostApiTable* table = GetHostApi();
    return table ? table->Bind() : 0;
}
