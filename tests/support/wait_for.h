// Bounded waiting for something another program or thread does.
#pragma once

#include <windows.h>

namespace e2e {

// Dispatches the window messages waiting for this thread.
inline void DispatchMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Looks at `done` every few milliseconds until it holds or `timeoutMs` have
// passed; true when it held. This thread's window messages are dispatched
// meanwhile, so that a waiting thread with windows holds up no other program.
template <typename Done>
bool WaitFor(Done done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    DispatchMessages();
    if (done()) return true;
    const DWORD spent = GetTickCount() - start;
    if (spent >= timeoutMs) return false;
    const DWORD slice = timeoutMs - spent < 20 ? timeoutMs - spent : 20;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_ALLINPUT);
  }
}

// Waits for a process (or any handle) to be signalled.
inline bool WaitPumping(HANDLE process, DWORD timeoutMs) {
  return WaitFor([process] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, timeoutMs);
}

}  // namespace e2e
