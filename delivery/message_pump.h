// The one message pump of the program: its hidden windows (Form1, the
// clipboard owner) get their window messages while the program waits.
#pragma once

#include <cstdint>

// Dispatches window messages until `done` returns true or `timeoutMs` has
// passed, also while new messages keep coming; true when done.
bool PumpMessagesUntil(bool (*done)(), uint32_t timeoutMs);

// Dispatches the messages queued already, without waiting for anything new;
// a queue that is refilled as fast as it is emptied is left after 250 ms.
void DispatchPendingMessages();
