#include "message_pump.h"

#include "remaining_time.h"
#include "win_api.h"

bool PumpMessagesUntil(bool (*done)(), uint32_t timeoutMs) {
  const uint32_t start = qor::api::GetTickCount();
  for (;;) {
    MSG message;
    while (qor::api::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      qor::api::TranslateMessage(&message);
      qor::api::DispatchMessageA(&message);
      if (done()) return true;
    }
    if (done()) return true;
    const uint32_t left = RemainingMs(start, qor::api::GetTickCount(), timeoutMs);
    if (left == 0) return false;
    qor::api::MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT);
  }
}

void DispatchPendingMessages() {
  PumpMessagesUntil([] { return false; }, 0);
}
