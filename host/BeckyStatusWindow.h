#pragma once

#include "ui/framework/Window.h"

// A view of the host's status bar; the bar itself is the host's and is left alone.
class CBeckyStatusWindow : public CWindow {
public:
    explicit CBeckyStatusWindow(HWND statusBar) : CWindow(statusBar) {}
    ~CBeckyStatusWindow() override = default;
};
