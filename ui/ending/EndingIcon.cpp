#include "ui/ending/EndingIcon.h"

#include "resources/ResourceIds.h"
#include "settings/ModuleInstance.h"
#include "ui/ending/EndingDlg.h"

namespace {

const int kMovingFrames[CEndingIcon::kFrameCount - 1] = {
    IDI_FRAME_LEAF_LEFT, IDI_FRAME_LEAF_CENTRE, IDI_FRAME_LEAF_RIGHT, IDI_FRAME_LEAF_ON_STAMP};
// The longest the process end waits for the system to have ended the animation thread.
const DWORD kThreadEndingWaitMs = 500;
// How often a stop whose wait failed looks again.
const DWORD kStopPollMs = 10;

void AnswerSentMessages()
{
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// Marks the animation thread as inside a shell or window call while it lives.
class CInsideCall {
public:
    explicit CInsideCall(volatile LONG& mark) : m_mark(mark) { InterlockedExchange(&m_mark, 1); }
    ~CInsideCall() { InterlockedExchange(&m_mark, 0); }
    CInsideCall(const CInsideCall&) = delete;
    CInsideCall& operator=(const CInsideCall&) = delete;

private:
    volatile LONG& m_mark;
};

}  // namespace

CEndingIcon::CEndingIcon() = default;

CEndingIcon::~CEndingIcon()
{
    Stop();
}

int CEndingIcon::Start(const CEndingDlg& dialog)
{
    SetWindow(CWindow(dialog.m_hWnd), m_id);
    m_ownsIcon = 0;
    HICON still = LoadIconA(GetModuleInstance(), MAKEINTRESOURCEA(IDI_FRAME_STILL));
    if (m_animation) {
        m_frames[0] = still;
        m_frameCount = kFrameCount;
    }
    SetIcon(still);
    SetCallbackMessage(WM_USER);
    CText tip;
    LoadResourceString(tip, IDS_TRAY_TIP);
    SetTip(tip);
    int added = Notify();
    if (m_animation)
        StartAnimation();
    return added;
}

void CEndingIcon::StartAnimation()
{
    if (m_thread)
        return;
    m_stopEvent.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_doneEvent.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (m_stopEvent && m_doneEvent)
        m_thread.reset(CreateThread(nullptr, 0, AnimationThread, this, 0, nullptr));
}

void CEndingIcon::Stop()
{
    if (m_stopEvent)
        SetEvent(m_stopEvent.get());
    if (m_leftToTheProcess)
        return;
    if (m_thread) {
        // Done with the object is enough: the thread's exit itself waits for the loader lock,
        // which this thread holds when the module's objects are destroyed.
        HANDLE ends[] = {m_doneEvent.get(), m_thread.get()};
        // The host's thread keeps answering messages sent to it meanwhile. Should that wait
        // fail, short plain ones between the answers still keep the frames until the thread
        // is done with them.
        DWORD waited;
        while ((waited = MsgWaitForMultipleObjects(2, ends, FALSE, INFINITE, QS_SENDMESSAGE)) ==
               WAIT_OBJECT_0 + 2)
            AnswerSentMessages();
        if (waited == WAIT_FAILED) {
            while (WaitForMultipleObjects(2, ends, FALSE, kStopPollMs) == WAIT_TIMEOUT)
                AnswerSentMessages();
        }
        m_thread.reset();
    }
    for (size_t at = 0; at < m_frameCount; ++at) {
        if (m_frames[at])
            DestroyIcon(m_frames[at]);
        m_frames[at] = nullptr;
    }
    Delete();
}

void CEndingIcon::WaitForTheThreadsEnd()
{
    // The system ends the thread as the process ends; it may not be quite done yet.
    if (m_thread)
        WaitForSingleObject(m_thread.get(), kThreadEndingWaitMs);
}

bool CEndingIcon::ThreadEndedInsideACall() const
{
    return m_thread && m_threadInCall != 0;
}

void CEndingIcon::LeaveToTheProcess()
{
    m_leftToTheProcess = true;
    ForgetShellEntry();
}

DWORD WINAPI CEndingIcon::AnimationThread(LPVOID parameter)
{
    CEndingIcon* icon = static_cast<CEndingIcon*>(parameter);
    HANDLE done = icon->m_doneEvent.get();
    icon->Animate();
    // From here on the owner may delete the object at any moment.
    SetEvent(done);
    return 0;
}

void CEndingIcon::Animate()
{
    // The still frame that Start showed is the first of the first pass: its pause comes
    // first, so that nothing here competes with the host's thread while it is exiting.
    if (!WaitedOutPause())
        return;
    LoadMovingFrames();
    if (!HasAFrame())
        return;
    const bool swingBack = s_swingBack && m_frameCount >= 3;
    for (size_t first = 1;; first = 0) {
        for (size_t at = first; at < m_frameCount; ++at) {
            if (!ShowFrame(m_frames[at]))
                return;
        }
        if (swingBack) {
            for (size_t at = m_frameCount - 2; at >= 1; --at) {
                if (!ShowFrame(m_frames[at]))
                    return;
            }
        }
    }
}

void CEndingIcon::LoadMovingFrames()
{
    CInsideCall inside(m_threadInCall);
    for (size_t at = 0; at + 1 < kFrameCount; ++at)
        m_frames[1 + at] = LoadIconA(GetModuleInstance(), MAKEINTRESOURCEA(kMovingFrames[at]));
}

bool CEndingIcon::HasAFrame() const
{
    for (size_t at = 0; at < m_frameCount; ++at) {
        if (m_frames[at])
            return true;
    }
    return false;
}

bool CEndingIcon::ShowFrame(HICON frame)
{
    // A stop that came first is not undone by one more frame.
    if (IsStopRequested())
        return false;
    if (!frame)
        return true;
    {
        CInsideCall inside(m_threadInCall);
        SetIcon(frame);
        Notify();
    }
    return WaitedOutPause();
}

bool CEndingIcon::WaitedOutPause()
{
    // The pause is a wait on the stop event, so that a stop takes effect at once. A wait that
    // failed is no stop: the pause is slept instead, and the animation goes on.
    switch (WaitForSingleObject(m_stopEvent.get(), s_frameInterval)) {
    case WAIT_TIMEOUT:
        return true;
    case WAIT_FAILED:
        Sleep(s_frameInterval);
        return !IsStopRequested();
    default:
        return false;
    }
}

bool CEndingIcon::IsStopRequested()
{
    // One failed look is asked again; one that keeps failing counts as a stop, so that the
    // owner's wait for the thread cannot last for ever.
    DWORD state = WaitForSingleObject(m_stopEvent.get(), 0);
    if (state == WAIT_FAILED)
        state = WaitForSingleObject(m_stopEvent.get(), 0);
    return state != WAIT_TIMEOUT;
}
