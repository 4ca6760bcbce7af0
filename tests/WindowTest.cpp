#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin/Messages.h"
#include "tests/PluginHost.h"
#include "ui/framework/Window.h"

using testing_support::CTestWindow;

namespace {

// Records which operation each routed message reached, with its arguments.
class CProbeWindow : public CWindow {
public:
    explicit CProbeWindow(HWND window) : CWindow(window) {}

    int OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        calls.push_back("command");
        return CWindow::OnCommand(wParam, lParam);
    }
    void OnSize(UINT type, int cx, int cy) override
    {
        calls.push_back("size " + std::to_string(type) + " " + std::to_string(cx) + "x" +
                        std::to_string(cy));
    }
    void OnGetMinMaxInfo(MINMAXINFO*) override { calls.push_back("minmax"); }
    int OnCreate(CREATESTRUCTA* create) override
    {
        calls.push_back("create");
        return CWindow::OnCreate(create);
    }
    int OnNotify(WPARAM id, NMHDR* header) override
    {
        calls.push_back("notify");
        return CWindow::OnNotify(id, header);
    }
    void OnDestroy() override
    {
        calls.push_back("destroy");
        CWindow::OnDestroy();
    }
    void OnClose() override { calls.push_back("close"); }
    void OnActivate(UINT state, CWindow* other, int minimized) override
    {
        calls.push_back("activate " + std::to_string(state) + " " + std::to_string(minimized) +
                        (other ? " other" : " none"));
    }
    void OnSetFocus(CWindow* lost) override { calls.push_back(lost ? "setfocus other" : "setfocus none"); }
    void OnKillFocus(CWindow* gaining) override
    {
        calls.push_back(gaining ? "killfocus other" : "killfocus none");
    }
    int OnSetCursor(CWindow* window, UINT hitTest, UINT mouseMessage) override
    {
        calls.push_back("setcursor " + std::string(window ? "window " : "none ") +
                        std::to_string(hitTest) + " " + std::to_string(mouseMessage));
        return 1;
    }

    std::vector<std::string> calls;
};

LRESULT CALLBACK AnswerFortyTwo(HWND, UINT, WPARAM, LPARAM)
{
    return 42;
}

}  // namespace

TEST(WindowRouting, BaseOperationsAnswerOneOrPassTheMessageOn)
{
    CTestWindow window;
    CWindow plain(window.Handle());
    plain.Register();
    HWND h = window.Handle();
    NMHDR header = {};
    MINMAXINFO info = {};
    EXPECT_EQ(1, CWindow::RouteMessage(h, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(0, CWindow::RouteMessage(h, WM_COMMAND, 1, 0));
    EXPECT_EQ(0, CWindow::RouteMessage(h, WM_CREATE, 0, 0));
    EXPECT_EQ(1, CWindow::RouteMessage(h, WM_SIZE, 0, MAKELPARAM(10, 20)));
    EXPECT_EQ(1, CWindow::RouteMessage(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(1, CWindow::RouteMessage(h, WM_ACTIVATE, WA_ACTIVE, 0));
    EXPECT_EQ(1, CWindow::RouteMessage(h, WM_SETFOCUS, 0, 0));
    EXPECT_EQ(1, CWindow::RouteMessage(h, WM_KILLFOCUS, 0, 0));
    EXPECT_EQ(0, CWindow::RouteMessage(h, WM_SETCURSOR, 0, 0));
    EXPECT_EQ(0, CWindow::RouteMessage(h, WM_USER + 5, 0, 0));
    EXPECT_EQ(1, CWindow::RouteMessage(h, WM_DESTROY, 0, 0));
    EXPECT_EQ(nullptr, CWindow::Lookup(h));
    EXPECT_EQ(nullptr, plain.m_hWnd);
    EXPECT_EQ(0, CWindow::RouteMessage(h, WM_DESTROY, 0, 0)) << "nothing left to route to";
}

TEST(WindowRouting, MessagesReachTheirOperationsWithUnpackedArguments)
{
    CTestWindow window;
    CTestWindow other;
    CProbeWindow probe(window.Handle());
    probe.Register();
    HWND h = window.Handle();
    WPARAM otherHandle = reinterpret_cast<WPARAM>(other.Handle());
    CWindow::RouteMessage(h, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
    CWindow::RouteMessage(h, WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 1), 0);
    CWindow::RouteMessage(h, WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(otherHandle));
    CWindow::RouteMessage(h, WM_SETFOCUS, 0, 0);
    CWindow::RouteMessage(h, WM_KILLFOCUS, otherHandle, 0);
    EXPECT_EQ(0, CWindow::RouteMessage(h, WM_SETCURSOR, otherHandle, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)))
        << "answered 0 whatever OnSetCursor says";
    EXPECT_EQ(1, CWindow::RouteMessage(h, WM_CLOSE, 0, 0));
    EXPECT_TRUE(IsWindow(h));
    const std::vector<std::string> expected = {
        "size 2 640x480",   "activate 2 1 none",           "activate 0 0 other",
        "setfocus none",    "killfocus other",             "setcursor window 1 512",
        "close"};
    EXPECT_EQ(expected, probe.calls);
}

TEST(WindowRouting, UnregisteredHandleIsAnsweredZeroAndReachesNothing)
{
    CTestWindow window;
    CProbeWindow probe(window.Handle());
    for (UINT message : {WM_CREATE, WM_DESTROY, WM_SIZE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS,
                         WM_CLOSE, WM_SETCURSOR, WM_GETMINMAXINFO, WM_NOTIFY, WM_COMMAND})
        EXPECT_EQ(0, CWindow::RouteMessage(window.Handle(), message, 0, 0)) << message;
    EXPECT_TRUE(probe.calls.empty());
}

TEST(WindowRouting, UnansweredMessagesGoToThePreviousProcedure)
{
    CTestWindow window;
    CWindow plain(window.Handle());
    plain.m_prevWndProc = AnswerFortyTwo;
    plain.Register();
    EXPECT_EQ(42, CWindow::RouteMessage(window.Handle(), WM_COMMAND, 0, 0));
    EXPECT_EQ(42, CWindow::RouteMessage(window.Handle(), WM_USER, 0, 0));
    EXPECT_EQ(1, CWindow::RouteMessage(window.Handle(), WM_SIZE, 0, 0)) << "answered, not passed";
}

TEST(WindowRegistry, FromHandleMakesOneWrapperPerHandle)
{
    CTestWindow window;
    EXPECT_EQ(nullptr, CWindow::FromHandle(nullptr));
    size_t made = CWindow::s_madeWindows.Count();
    CWindow* first = CWindow::FromHandle(window.Handle());
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, CWindow::FromHandle(window.Handle()));
    EXPECT_EQ(first, CWindow::Lookup(window.Handle()));
    EXPECT_EQ(made + 1, CWindow::s_madeWindows.Count());
}

TEST(WindowRegistry, AttachConstructorCopiesWithoutRegistering)
{
    CTestWindow window;
    CWindow registered(window.Handle());
    registered.m_prevWndProc = AnswerFortyTwo;
    registered.m_flag = 9;
    registered.Register();
    CWindow attached(window.Handle());
    EXPECT_EQ(AnswerFortyTwo, attached.m_prevWndProc);
    EXPECT_EQ(9, attached.m_flag);
    EXPECT_EQ(&registered, CWindow::Lookup(window.Handle()));

    CTestWindow fresh;
    CWindow unregistered(fresh.Handle());
    EXPECT_EQ(nullptr, unregistered.m_prevWndProc);
    EXPECT_EQ(1, unregistered.m_flag);
}

TEST(WindowRegistry, NeverHandsOutADeletedWrapper)
{
    CTestWindow window;
    CWindow* survivor = nullptr;
    {
        CWindow shortLived(window.Handle());
        shortLived.Register();
        survivor = new CWindow(window.Handle());
    }
    EXPECT_EQ(nullptr, CWindow::Lookup(window.Handle()));
    survivor->Register();
    {
        CWindow other(window.Handle());
    }
    EXPECT_EQ(survivor, CWindow::Lookup(window.Handle())) << "another wrapper's entry stays";
    delete survivor;
    EXPECT_EQ(nullptr, CWindow::Lookup(window.Handle()));
}

TEST(WindowOperations, TextAndShowOnLiveAndDeadWindows)
{
    CTestWindow window;
    CWindow wrapper(window.Handle());
    EXPECT_EQ("", wrapper.GetWindowText());
    EXPECT_NE(0, wrapper.SetWindowText("status text"));
    EXPECT_EQ("status text", wrapper.GetWindowText());
    EXPECT_EQ(11, wrapper.GetWindowTextLength());
    EXPECT_NE(0, wrapper.SetWindowText(""));
    EXPECT_EQ("", wrapper.GetWindowText());

    CWindow none;
    EXPECT_EQ(0, none.ShowWindow(SW_SHOW));
    HWND gone = CTestWindow().Handle();
    CWindow dead(gone);
    EXPECT_EQ(0, dead.ShowWindow(SW_SHOW));
}

namespace {

int g_paints = 0;
int g_clicks = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        ++g_paints;
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_LBUTTONDOWN)
        ++g_clicks;
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST(PaintPump, RepaintsDropsInputAndLeavesOtherWindowsAlone)
{
    CTestWindow probe(CountingProc);
    HWND busy = probe.Handle();
    CTestWindow bystander;
    ASSERT_NE(nullptr, busy);
    standin::DispatchQueuedMessages();

    g_paints = 0;
    g_clicks = 0;
    InvalidateRect(busy, nullptr, TRUE);
    PostMessageA(busy, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(bystander.Handle(), WM_USER + 7, 0, 0);
    HCURSOR cursor = LoadCursorA(nullptr, IDC_CROSS);
    SetCursor(cursor);

    CWindow(busy).PumpPaintMessages();

    EXPECT_EQ(1, g_paints);
    EXPECT_EQ(0, g_clicks);
    MSG drain;
    EXPECT_FALSE(PeekMessageA(&drain, busy, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE))
        << "the click is dropped";
    EXPECT_TRUE(PeekMessageA(&drain, bystander.Handle(), WM_USER + 7, WM_USER + 7, PM_REMOVE))
        << "another window's message stays queued";
    EXPECT_EQ(cursor, GetCursor());
}
