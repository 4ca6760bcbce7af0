#pragma once

#include <memory>

#include "host/BeckyStatusWindow.h"

// A view of the host's main window, as the host reports it; owns only its status-bar view.
class CBeckyMainWindow : public CWindow {
public:
    CBeckyMainWindow();
    ~CBeckyMainWindow() override;

    // The wrapper of the first direct child of class "msctls_statusbar32", or none.
    CBeckyStatusWindow* GetStatusWindow();
    // The plain pump, with the status bar's text kept across it.
    void PumpPaintMessages() override;

    // Held as what it always is, so that no run-time type test is needed to hand it out.
    std::unique_ptr<CBeckyStatusWindow> m_statusWindow;
};

// The host's main window, asked of the host until it reports one, then kept.
CBeckyMainWindow* GetMainWindow();
