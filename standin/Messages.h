#pragma once

#include <windows.h>

namespace standin {

// Dispatches every message queued for this thread, and returns when none is left.
void DispatchQueuedMessages();

// Dispatches this thread's messages for the given time, as a busy host's thread still does.
void DispatchMessagesFor(DWORD ms);
// Long enough for every window of this thread to paint what is pending, on a slow machine too.
const DWORD kSettleMs = 200;

// Waits for the object while dispatching this thread's messages, so that a message another
// thread sends here meanwhile is answered; false when the time ran out.
bool WaitDispatchingMessages(HANDLE object, DWORD limitMs);

}  // namespace standin
