#include "standin/Messages.h"

namespace standin {

void DispatchQueuedMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool WaitDispatchingMessages(HANDLE object, DWORD limitMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD waited = GetTickCount() - start;
        const DWORD left = waited < limitMs ? limitMs - waited : 0;
        const DWORD woken = object ? MsgWaitForMultipleObjects(1, &object, FALSE, left, QS_ALLINPUT)
                                   : MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT);
        if (object && woken == WAIT_OBJECT_0)
            return true;
        if (woken == WAIT_TIMEOUT || woken == WAIT_FAILED)
            return false;
        DispatchQueuedMessages();
    }
}

void DispatchMessagesFor(DWORD ms)
{
    WaitDispatchingMessages(nullptr, ms);
}

}  // namespace standin
