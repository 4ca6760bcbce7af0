#include "ui/ending/Tasktray.h"

#include <string.h>

#include "base/AnsiText.h"
#include "ui/framework/Window.h"

namespace {

// The shell's original record: hWnd to a 64-byte tip, understood by every shell.
const DWORD kRecordSize = NOTIFYICONDATAA_V1_SIZE;
const size_t kTipBytes = 64;

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the 32-bit shell record is 88 bytes");
#endif

}  // namespace

NOTIFYICONDATAA CTasktray::FreshRecord()
{
    NOTIFYICONDATAA record;
    memset(&record, 0, sizeof(record));
    record.cbSize = kRecordSize;
    return record;
}

CTasktray::CTasktray() = default;

CTasktray::~CTasktray()
{
    Delete();
    DestroyOwnedIcon();
}

void CTasktray::SetWindow(const CWindow& window, UINT id)
{
    if (m_notifyIconData.hWnd)
        return;
    m_notifyIconData.hWnd = window.m_hWnd;
    m_notifyIconData.uID = id;
}

void CTasktray::SetIcon(HICON icon)
{
    DestroyOwnedIcon();
    m_notifyIconData.hIcon = icon;
    m_notifyIconData.uFlags |= NIF_ICON;
}

void CTasktray::SetCallbackMessage(UINT message)
{
    m_notifyIconData.uCallbackMessage = message;
    m_notifyIconData.uFlags |= NIF_MESSAGE;
}

void CTasktray::SetTip(const CText& text)
{
    const size_t length = FittingLength(text, kTipBytes - 1);
    memcpy(m_notifyIconData.szTip, text.Chars(), length);
    m_notifyIconData.szTip[length] = '\0';
    m_notifyIconData.uFlags |= NIF_TIP;
}

int CTasktray::Notify()
{
    if (!m_notifyIconData.hWnd)
        return 0;
    if (m_added)
        return Shell_NotifyIconA(NIM_MODIFY, &m_notifyIconData) ? 1 : 0;
    // The shell gives up on a tray that answers late and reports a failure, while the tray
    // still adds the icon: a modify that succeeds says it is there.
    if (!Shell_NotifyIconA(NIM_ADD, &m_notifyIconData) &&
        !Shell_NotifyIconA(NIM_MODIFY, &m_notifyIconData))
        return 0;
    m_added = 1;
    return 1;
}

int CTasktray::Delete()
{
    if (!m_added)
        return 0;
    if (!Shell_NotifyIconA(NIM_DELETE, &m_notifyIconData))
        return 0;
    m_added = 0;
    return 1;
}

void CTasktray::DestroyOwnedIcon()
{
    if (m_ownsIcon && m_notifyIconData.hIcon) {
        DestroyIcon(m_notifyIconData.hIcon);
        m_notifyIconData.hIcon = nullptr;
    }
}

void CTasktray::ForgetShellEntry()
{
    m_added = 0;
}

int CTasktray::Remove(const CWindow& window, UINT id)
{
    NOTIFYICONDATAA record = FreshRecord();
    record.hWnd = window.m_hWnd;
    record.uID = id;
    return Shell_NotifyIconA(NIM_DELETE, &record) ? 1 : 0;
}
