#pragma once

#include "base/OwnedHandle.h"
#include "ui/ending/Tasktray.h"

class CEndingDlg;

// The plug-in's icon in the notification area while the host exits. Owns its animation
// thread: a stop waits until the thread is done with the object before the frames go.
class CEndingIcon : public CTasktray {
public:
    CEndingIcon();
    ~CEndingIcon() override;

    // Adds the icon under the dialog's window; nonzero when the shell took it.
    int Start(const CEndingDlg& dialog);
    // Ends the animation, releases the frames and removes the icon.
    void Stop();

    // For the process end, when the system ends the animation thread wherever it stands: waits
    // briefly until it has.
    void WaitForTheThreadsEnd();
    // Whether the thread stood inside a call into the shell or the window system when it was
    // ended. The locks that call took are then never released, and any further call into
    // either could wait forever.
    bool ThreadEndedInsideACall() const;
    // Makes no further call into the shell or the window system: the icon and the frames go
    // with the process.
    void LeaveToTheProcess();

    static const size_t kFrameCount = 5;
    // The icon's number under the ending dialog's window; the host's own icon, under its main
    // window, may have the same number.
    static const UINT kEndingIconId = 128;

    UINT m_id = kEndingIconId;
    // The still frame, then the moving ones, which the animation thread loads: the first
    // m_frameCount places, none before Start, all five with animation on.
    HICON m_frames[kFrameCount] = {};
    size_t m_frameCount = 0;
    int m_animation = 1;

    static const DWORD s_frameInterval = 110;
    // On by design and never changed: after each forward pass the inner frames play backwards.
    // The design leaves it out for fewer than three frames, which an animation, always of
    // five, never has; both stay as the design writes them.
    static const bool s_swingBack = true;

private:
    static DWORD WINAPI AnimationThread(LPVOID icon);
    void StartAnimation();
    void Animate();
    // Loads the moving frames into the places Start made for them.
    void LoadMovingFrames();
    // Whether a frame could be loaded at all; without one, the thread would spin.
    bool HasAFrame() const;
    // Shows one frame and waits out its pause; false once the icon has been told to stop.
    bool ShowFrame(HICON frame);
    // False when the pause was cut short by a stop.
    bool WaitedOutPause();
    bool IsStopRequested();

    CKernelHandle m_stopEvent;
    // Set by the thread when it is done with the object, just before it returns.
    CKernelHandle m_doneEvent;
    CKernelHandle m_thread;
    // Set only while the animation thread is inside a shell or window call.
    volatile LONG m_threadInCall = 0;
    bool m_leftToTheProcess = false;
};
