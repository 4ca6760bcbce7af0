#include "ui/ending/EndingIcon.h"

#include <algorithm>

#include "settings/ModuleInstance.h"
#include "ui/ending/EndingDlg.h"

namespace {

const int kStillIcon = 105;
const int kMovingFrames[] = {107, 108, 109, 110};
const UINT kTipString = 57600;
// The longest the icon waits for its thread while the process ends.
const DWORD kProcessEndingWaitMs = 500;

// A reference to this module for the thread to hold, so the code it runs stays loaded.
HMODULE ReferenceThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCSTR>(&ReferenceThisModule), &module);
    return module;
}

}  // namespace

CEndingIcon::CEndingIcon() : m_id(128), m_animation(1)
{
}

CEndingIcon::~CEndingIcon()
{
    Stop();
}

int CEndingIcon::Start(const CEndingDlg& dialog)
{
    SetWindow(CWindow(dialog.m_hWnd), m_id);
    m_ownsIcon = 0;
    HICON still = LoadIconA(GetModuleInstance(), MAKEINTRESOURCEA(kStillIcon));
    if (m_animation)
        m_frames.push_back(still);
    SetIcon(still);
    SetCallbackMessage(WM_USER);
    std::string tip;
    LoadResourceString(tip, kTipString);
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
    m_moduleReference = ReferenceThisModule();
    if (m_stopEvent && m_doneEvent && m_moduleReference)
        m_thread.reset(CreateThread(nullptr, 0, AnimationThread, this, 0, &m_threadId));
    if (!m_thread && m_moduleReference)
        FreeLibrary(m_moduleReference);
}

void CEndingIcon::Stop()
{
    if (m_stopEvent)
        SetEvent(m_stopEvent.get());
    if (m_cutOff)
        return;
    // Wait until the thread is done with this object (or was ended with the process). Its
    // exit need not be waited for: it holds the module until it is gone. The thread may
    // itself be the one unloading the module, and cannot wait for itself.
    if (m_thread && m_threadId != GetCurrentThreadId()) {
        HANDLE ends[] = {m_doneEvent.get(), m_thread.get()};
        // The host's thread keeps answering messages sent to it meanwhile.
        while (MsgWaitForMultipleObjects(2, ends, FALSE, INFINITE, QS_SENDMESSAGE) ==
               WAIT_OBJECT_0 + 2) {
            MSG message;
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    m_thread.reset();
    for (HICON& frame : m_frames) {
        if (frame)
            DestroyIcon(frame);
        frame = nullptr;
    }
    Delete();
}

bool CEndingIcon::OnProcessEnding()
{
    if (!m_thread)
        return true;
    // A thread still alive finishes its frame and stops at the next pause. No messages can
    // be answered any more, so this wait is bounded; the later stop does not wait again.
    SetEvent(m_stopEvent.get());
    HANDLE ends[] = {m_doneEvent.get(), m_thread.get()};
    WaitForMultipleObjects(2, ends, FALSE, kProcessEndingWaitMs);
    const bool safe = WaitForSingleObject(m_doneEvent.get(), 0) == WAIT_OBJECT_0 || !m_inFrame;
    m_thread.reset();
    if (safe)
        return true;
    // From now on the frames and the shell's entry are left to go with the process.
    m_cutOff = true;
    m_added = 0;
    return false;
}

DWORD WINAPI CEndingIcon::AnimationThread(LPVOID parameter)
{
    CEndingIcon* icon = static_cast<CEndingIcon*>(parameter);
    HMODULE module = icon->m_moduleReference;
    HANDLE done = icon->m_doneEvent.get();
    icon->Animate();
    // The owner waits for this before the object goes; after it, only the module is used.
    SetEvent(done);
    FreeLibraryAndExitThread(module, 0);
}

void CEndingIcon::Animate()
{
    // The still frame that Start showed is the first of the first pass: its pause comes
    // first, so that nothing here competes with the host's thread while it is exiting.
    if (!Pause())
        return;
    for (int frame : kMovingFrames)
        m_frames.push_back(LoadIconA(GetModuleInstance(), MAKEINTRESOURCEA(frame)));
    if (std::none_of(m_frames.begin(), m_frames.end(), [](HICON frame) { return frame; }))
        return;
    const bool swingBack = s_swingBack && m_frames.size() >= 3;
    for (size_t first = 1;; first = 0) {
        for (size_t at = first; at < m_frames.size(); ++at) {
            if (!ShowFrame(m_frames[at]))
                return;
        }
        if (swingBack) {
            for (size_t at = m_frames.size() - 2; at >= 1; --at) {
                if (!ShowFrame(m_frames[at]))
                    return;
            }
        }
    }
}

bool CEndingIcon::ShowFrame(HICON frame)
{
    // A stop that came first is not undone by one more frame.
    if (WaitForSingleObject(m_stopEvent.get(), 0) != WAIT_TIMEOUT)
        return false;
    if (!frame)
        return true;
    SetIcon(frame);
    Notify();
    return Pause();
}

bool CEndingIcon::Pause()
{
    InterlockedExchange(&m_inFrame, 0);
    // The pause is a wait on the stop event, so that a stop takes effect at once.
    if (WaitForSingleObject(m_stopEvent.get(), s_frameInterval) != WAIT_TIMEOUT)
        return false;
    InterlockedExchange(&m_inFrame, 1);
    return true;
}
