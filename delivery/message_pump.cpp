#include "message_pump.h"

#include "remaining_time.h"
#include "win_api.h"

namespace {

enum class Pumped { Done, QueueEmpty, TimeUp };

// Dispatches queued messages until `done` holds, the queue is empty or
// `timeoutMs` since `start` have passed. The time is looked at after every
// message: a peer that keeps the queue full must not hold the wait beyond it.
Pumped DispatchQueued(bool (*done)(), uint32_t start, uint32_t timeoutMs) {
  MSG message;
  while (qor::api::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    qor::api::TranslateMessage(&message);
    qor::api::DispatchMessageA(&message);
    if (done()) return Pumped::Done;
    if (RemainingMs(start, qor::api::GetTickCount(), timeoutMs) == 0) return Pumped::TimeUp;
  }
  return Pumped::QueueEmpty;
}

bool Never() { return false; }

// What is queued already is dispatched in far less; beyond it the queue is
// being refilled as fast as it is emptied.
constexpr uint32_t kPendingMessagesMs = 250;

}  // namespace

bool PumpMessagesUntil(bool (*done)(), uint32_t timeoutMs) {
  const uint32_t start = qor::api::GetTickCount();
  for (;;) {
    switch (DispatchQueued(done, start, timeoutMs)) {
      case Pumped::Done:
        return true;
      case Pumped::TimeUp:
        return false;
      case Pumped::QueueEmpty:
        break;
    }
    if (done()) return true;
    const uint32_t left = RemainingMs(start, qor::api::GetTickCount(), timeoutMs);
    if (left == 0) return false;
    qor::api::MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT);
  }
}

void DispatchPendingMessages() {
  DispatchQueued(Never, qor::api::GetTickCount(), kPendingMessagesMs);
}
