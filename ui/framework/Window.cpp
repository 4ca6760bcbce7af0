#include "ui/framework/Window.h"

#include <stdlib.h>

#include <new>

bool CWindow::CRegistry::s_open = false;

size_t CWindow::CRegistry::IndexOf(HWND window) const
{
    size_t at = 0;
    while (at < m_entries.Count() && m_entries[at].window != window)
        ++at;
    return at;
}

CWindow* CWindow::CRegistry::Find(HWND window) const
{
    if (!s_open)
        return nullptr;
    const size_t at = IndexOf(window);
    return at < m_entries.Count() ? m_entries[at].wrapper : nullptr;
}

bool CWindow::CRegistry::Enter(HWND window, CWindow* wrapper)
{
    if (!s_open)
        return false;
    const size_t at = IndexOf(window);
    if (at < m_entries.Count()) {
        m_entries[at].wrapper = wrapper;
        return true;
    }
    return m_entries.Append({window, wrapper});
}

void CWindow::CRegistry::Remove(HWND window)
{
    if (!s_open)
        return;
    const size_t at = IndexOf(window);
    if (at < m_entries.Count())
        m_entries.RemoveAt(at);
}

void CWindow::CRegistry::RemoveIfNaming(HWND window, const CWindow* wrapper)
{
    if (!s_open)
        return;
    const size_t at = IndexOf(window);
    if (at < m_entries.Count() && m_entries[at].wrapper == wrapper)
        m_entries.RemoveAt(at);
}

CWindow::CWrapperList::~CWrapperList()
{
    // A registered wrapper leaves the registry as it goes.
    for (size_t at = 0; at < m_wrappers.Count(); ++at)
        delete m_wrappers[at];
}

CWindow* CWindow::CWrapperList::Make(HWND window)
{
    CWindow* made = new (std::nothrow) CWindow(window);
    if (made && !m_wrappers.Append(made)) {
        delete made;
        return nullptr;
    }
    return made;
}

CWindow* CWindow::CWrapperList::Find(HWND window) const
{
    for (size_t at = 0; at < m_wrappers.Count(); ++at) {
        if (m_wrappers[at]->m_hWnd == window)
            return m_wrappers[at];
    }
    return nullptr;
}

CWindow::CWindow() = default;

CWindow::CWindow(HWND window) : CWindow()
{
    m_hWnd = window;
    if (CWindow* registered = Lookup(window)) {
        m_prevWndProc = registered->m_prevWndProc;
        m_flag = registered->m_flag;
    }
}

CWindow::~CWindow()
{
    // The registry must never hand out a deleted wrapper.
    if (m_hWnd)
        s_windowRegistry.RemoveIfNaming(m_hWnd, this);
}

int CWindow::OnCommand(WPARAM, LPARAM)
{
    return 0;
}

void CWindow::OnSize(UINT, int, int)
{
}

void CWindow::OnGetMinMaxInfo(MINMAXINFO*)
{
}

int CWindow::OnCreate(CREATESTRUCTA*)
{
    return 0;
}

int CWindow::OnNotify(WPARAM, NMHDR*)
{
    return 1;
}

void CWindow::OnDestroy()
{
    if (!m_hWnd)
        return;
    s_windowRegistry.Remove(m_hWnd);
    m_hWnd = nullptr;
    m_prevWndProc = nullptr;
}

void CWindow::OnClose()
{
    DefWindowProcA(m_hWnd, WM_CLOSE, 0, 0);
}

void CWindow::OnActivate(UINT, CWindow*, int)
{
}

void CWindow::OnSetFocus(CWindow*)
{
}

void CWindow::OnKillFocus(CWindow*)
{
}

int CWindow::OnSetCursor(CWindow*, UINT, UINT)
{
    return 0;
}

int CWindow::OnReserved(INT_PTR)
{
    return 1;
}

void CWindow::PumpPaintMessages()
{
    HCURSOR cursor = GetCursor();
    MSG message;
    while (PeekMessageA(&message, m_hWnd, 0, 0, PM_REMOVE)) {
        if (message.message == WM_PAINT) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (cursor)
        SetCursor(cursor);
}

CWindow* CWindow::Lookup(HWND window)
{
    return window ? s_windowRegistry.Find(window) : nullptr;
}

CWindow* CWindow::FromHandle(HWND window)
{
    // Once the registry is gone, so is the list that would own a made wrapper.
    if (!window || !CRegistry::IsOpen())
        return nullptr;
    if (CWindow* registered = Lookup(window))
        return registered;
    CWindow* made = s_madeWindows.Make(window);
    if (made)
        made->Register();
    return made;
}

LRESULT CWindow::RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindow* target = Lookup(window);
    if (!target)
        return 0;
    switch (message) {
    case WM_CREATE:
        if (int result = target->OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam)))
            return result;
        break;
    case WM_DESTROY:
        target->OnDestroy();
        return 1;
    case WM_SIZE:
        target->OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 1;
    case WM_ACTIVATE:
        target->OnActivate(LOWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)),
                           HIWORD(wParam));
        return 1;
    case WM_SETFOCUS:
        target->OnSetFocus(FromHandle(reinterpret_cast<HWND>(wParam)));
        return 1;
    case WM_KILLFOCUS:
        target->OnKillFocus(FromHandle(reinterpret_cast<HWND>(wParam)));
        return 1;
    case WM_CLOSE:
        target->OnClose();
        return 1;
    case WM_SETCURSOR:
        target->OnSetCursor(FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam),
                            HIWORD(lParam));
        break;
    case WM_GETMINMAXINFO:
        target->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 1;
    case WM_NOTIFY:
        if (int result = target->OnNotify(wParam, reinterpret_cast<NMHDR*>(lParam)))
            return result;
        break;
    case WM_COMMAND:
        if (int result = target->OnCommand(wParam, lParam))
            return result;
        break;
    default:
        break;
    }
    return target->PassOn(message, wParam, lParam);
}

LRESULT CWindow::PassOn(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_prevWndProc)
        return 0;
    return CallWindowProcA(m_prevWndProc, m_hWnd, message, wParam, lParam);
}

bool CWindow::Register()
{
    return m_hWnd && s_windowRegistry.Enter(m_hWnd, this);
}

int CWindow::ShowWindow(int showCommand)
{
    if (!m_hWnd || !IsWindow(m_hWnd))
        return 0;
    return ::ShowWindow(m_hWnd, showCommand);
}

int CWindow::InvalidateRect(int erase)
{
    return ::InvalidateRect(m_hWnd, nullptr, erase);
}

int CWindow::UpdateWindow()
{
    return ::UpdateWindow(m_hWnd);
}

LRESULT CWindow::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

int CWindow::GetWindowTextLength()
{
    return ::GetWindowTextLengthA(m_hWnd);
}

CText CWindow::GetWindowText()
{
    int length = ::GetWindowTextLengthA(m_hWnd);
    if (length < 0)
        length = 0;
    char* buffer = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
    if (!buffer)
        return CText::Failure();
    CText text;
    if (::GetWindowTextA(m_hWnd, buffer, length + 1) != 0)
        text = CText(buffer);
    free(buffer);
    return text;
}

int CWindow::SetWindowText(const CText& text)
{
    return ::SetWindowTextA(m_hWnd, text.Chars());
}

int CWindow::EnableWindow(int enable)
{
    return ::EnableWindow(m_hWnd, enable);
}

int CWindow::SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
}
