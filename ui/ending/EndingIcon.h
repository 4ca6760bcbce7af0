#pragma once

#include <vector>

#include "ui/ending/Tasktray.h"
#include "ui/framework/OwnedHandle.h"

class CEndingDlg;

// The plug-in's icon in the notification area while the host exits. Owns its animation
// thread, which it stops and joins before the frames or the object go.
class CEndingIcon : public CTasktray {
public:
    CEndingIcon();
    ~CEndingIcon() override;

    // Adds the icon under the dialog's window; nonzero when the shell took it.
    int Start(const CEndingDlg& dialog);
    // Ends the animation, releases the frames and removes the icon.
    void Stop();

    UINT m_id;
    // The still frame, then the moving ones, which the animation thread loads.
    std::vector<HICON> m_frames;
    int m_animation;

    // The process is ending, and the system has ended (or is ending) every other thread:
    // waits only briefly for the animation thread, once. Returns false when the thread was
    // ended in the middle of a frame: the locks the shell and the window system took for it
    // are then never released, any further call into them would wait forever, and the icon
    // is left to the shell.
    bool OnProcessEnding();

    static const DWORD s_frameInterval = 110;
    static const bool s_swingBack = true;

private:
    static DWORD WINAPI AnimationThread(LPVOID icon);
    // Starts the thread, which holds a reference to this module while it runs.
    void StartAnimation();
    void Animate();
    // One pause between frames; false once the icon has been told to stop.
    bool Pause();
    // Shows one frame; false once the icon has been told to stop.
    bool ShowFrame(HICON frame);

    CKernelHandle m_stopEvent;
    CKernelHandle m_doneEvent;
    CKernelHandle m_thread;
    DWORD m_threadId = 0;
    HMODULE m_moduleReference = nullptr;
    // The process ended the thread inside a frame: no more shell or window calls.
    bool m_cutOff = false;
    // Clear only while the thread waits out a pause, holding nothing.
    volatile LONG m_inFrame = 1;
};
