// Bounded waiting for something another process does.
#pragma once

#include <windows.h>

// Polls `done` until it is true or `timeoutMs` have passed; the last answer.
template <typename Predicate>
bool WaitFor(Predicate done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return done();
    Sleep(20);
  }
}
