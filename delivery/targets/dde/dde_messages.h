// The client's messages to the DDE server and the waits for its answers:
// asking for the conversation, requests that hand the server memory, and the
// end of the conversation. Every answer is awaited at most the link time-out
// of txtEXport, with window messages flowing. A failed step is recorded in
// DdeLastError.
#pragma once

#include <cstdint>
#include <string>

#include "win_owners.h"

// DDE shared memory for the server: zeroed, movable, shareable.
inline constexpr UINT kDdeMemory = GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT;

// Record a failed step in DdeLastError: by error number, or by the Windows
// error the last call left.
void RecordDdeFailure(int16_t number);
void RecordDdeWindowsFailure();

// Asks every top-level window but `form`, one after the other, for a
// conversation on `application` and `topic`; each answers while it is asked.
// True when a server accepted; Conversation is then set up for it.
bool Initiate(HWND form, const std::string& application, const std::string& topic);

// What HandOverAndAwait returns when no answer came.
inline constexpr int16_t kNoAnswer = -1;

// Posts `message` with `memory` and `item` to the server and waits for its
// answer. The result is the answer's error number: 0 when the server
// accepted, which makes the memory its own; kDdeBusy or kDdeRefused when it
// refused, and the memory stays in `memory`. kNoAnswer when the request
// could not be posted (the memory stays), when no answer came in time (the
// conversation keeps the memory until the late answer or its end, then frees
// it unless the server accepted) or the server ended the conversation (the
// server frees it); DdeLastError says which. Throws std::bad_alloc, before
// anything is posted, when there is no memory to keep the request overdue.
int16_t HandOverAndAwait(HWND form, UINT message, qor::UniqueGlobal& memory,
                         const std::string& item);

// Ends the automatic link and the conversation and clears Conversation. A
// server that let an answer time out is not waited for again; the
// conversation ends all the same, and what its overdue requests carried is
// freed.
void EndConversation(HWND form);
