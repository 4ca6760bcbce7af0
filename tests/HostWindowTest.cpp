#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "host/BeckyMainWindow.h"
#include "host/HostApiTable.h"
#include "standin/StandInHost.h"
#include "tests/PluginHost.h"

using namespace testing_support;

namespace {

// A fresh host table, bound to this program's stand-in entries.
class HostWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hostApi.reset();
        ASSERT_EQ(1, BindHostApi());
    }
    void TearDown() override { g_hostApi.reset(); }
};

HWND MakeStatusBar(HWND parent, const char* text)
{
    return CreateWindowExA(0, STATUSCLASSNAMEA, text, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                           nullptr, nullptr, nullptr);
}

LRESULT CALLBACK OverwritingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        SetWindowTextA(FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr), "repainted");
        ValidateRect(window, nullptr);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST_F(HostWindow, AskedUntilTheHostReportsOneThenKept)
{
    CHostWindow host;
    standin::SetMainWindow(nullptr);
    int asked = standin::WindowHandleRequests();
    EXPECT_EQ(nullptr, GetMainWindow());
    EXPECT_EQ(asked + 1, standin::WindowHandleRequests());

    standin::SetMainWindow(host.Handle());
    CBeckyMainWindow* main = GetMainWindow();
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(host.Handle(), main->m_hWnd);
    EXPECT_EQ(asked + 2, standin::WindowHandleRequests());
    EXPECT_EQ(main, GetMainWindow());
    EXPECT_EQ(asked + 2, standin::WindowHandleRequests()) << "kept, not asked again";
    EXPECT_EQ(nullptr, CWindow::Lookup(host.Handle())) << "the host's window is not routed";
}

TEST_F(HostWindow, HidingAndDeletingLeaveTheHostWindowAsItWas)
{
    CHostWindow host;
    CBeckyMainWindow* main = GetMainWindow();
    ASSERT_NE(nullptr, main);
    main->ShowWindow(SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(host.Handle()));
    ASSERT_NE(nullptr, main->GetStatusWindow());
    g_hostApi.reset();
    EXPECT_TRUE(IsWindow(host.Handle()));
    EXPECT_FALSE(IsWindowVisible(host.Handle()));
    char text[32] = {};
    GetWindowTextA(host.StatusBar(), text, sizeof(text));
    EXPECT_STREQ("Ready", text);
}

TEST_F(HostWindow, StatusBarIsADirectChildFoundOnce)
{
    CHostWindow host;
    MakeStatusBar(host.Handle(), "second");
    CBeckyMainWindow* main = GetMainWindow();
    CBeckyStatusWindow* status = main->GetStatusWindow();
    ASSERT_NE(nullptr, status);
    EXPECT_EQ(host.StatusBar(), status->m_hWnd) << "the first one";
    EXPECT_EQ(status, main->GetStatusWindow());
}

TEST_F(HostWindow, StatusBarDeeperDownIsNotFound)
{
    CTestWindow frame;
    CTestWindow panel("STATIC", frame.Handle(), WS_CHILD);
    MakeStatusBar(panel.Handle(), "deep");
    standin::SetMainWindow(frame.Handle());
    EXPECT_EQ(nullptr, GetMainWindow()->GetStatusWindow());
    standin::SetMainWindow(nullptr);
}

TEST_F(HostWindow, PumpKeepsTheStatusText)
{
    CTestWindow frame(OverwritingProc);
    HWND status = MakeStatusBar(frame.Handle(), "Saving 3 of 9");
    standin::SetMainWindow(frame.Handle());
    InvalidateRect(frame.Handle(), nullptr, TRUE);
    GetMainWindow()->PumpPaintMessages();
    char text[32] = {};
    GetWindowTextA(status, text, sizeof(text));
    EXPECT_STREQ("Saving 3 of 9", text);
    standin::SetMainWindow(nullptr);
}
