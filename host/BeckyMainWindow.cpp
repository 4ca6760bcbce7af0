#include "host/BeckyMainWindow.h"

#include <new>

#include "base/Text.h"
#include "host/HostApiTable.h"

CBeckyMainWindow::CBeckyMainWindow()
{
    HWND main = nullptr;
    HWND tree = nullptr;
    HWND list = nullptr;
    HWND view = nullptr;
    if (CHostApiTable* table = GetBoundHostApi())
        table->GetWindowHandles()(&main, &tree, &list, &view);
    m_hWnd = main;
}

CBeckyMainWindow::~CBeckyMainWindow() = default;

CBeckyStatusWindow* CBeckyMainWindow::GetStatusWindow()
{
    if (!m_statusWindow) {
        if (HWND statusBar = FindWindowExA(m_hWnd, nullptr, "msctls_statusbar32", nullptr))
            m_statusWindow.reset(new (std::nothrow) CBeckyStatusWindow(statusBar));
    }
    return m_statusWindow.get();
}

void CBeckyMainWindow::PumpPaintMessages()
{
    CBeckyStatusWindow* statusWindow = GetStatusWindow();
    CText text = statusWindow ? statusWindow->GetWindowText() : CText();
    CWindow::PumpPaintMessages();
    // A text there was no room to read is left as the repaints left it.
    if (statusWindow && !text.Failed())
        statusWindow->SetWindowText(text);
}

CBeckyMainWindow* GetMainWindow()
{
    CHostApiTable* table = GetHostApi();
    if (!table)
        return nullptr;
    if (!table->m_mainWindow) {
        std::unique_ptr<CBeckyMainWindow> made(new (std::nothrow) CBeckyMainWindow);
        if (!made || !made->m_hWnd)
            return nullptr;
        table->m_mainWindow = std::move(made);
    }
    return table->m_mainWindow.get();
}
