#include "dde_messages.h"

#include <dde.h>

#include <exception>
#include <vector>

#include "dde_protocol.h"
#include "form1.h"
#include "message_pump.h"
#include "remaining_time.h"
#include "txtexport.h"

namespace {

// Room for the top-level windows of a whole desktop, made at once: a list
// that grew as windows were found would make the program's allocations
// depend on how many windows other programs have.
constexpr size_t kWindowRoom = 4096;

uint32_t TimeoutMs() { return LinkTimeoutMs(txtEXport.LinkTimeout); }

enum class Answer { Ack, TimedOut, Closed };

// Room for one more overdue request, and for remembering the conversation
// should it end with answers owed, made before a request is posted: once it
// is, its memory may be the server's and its atom travels with it, and
// nothing may be thrown before they are in the conversation's keeping.
// Throws std::bad_alloc.
void MakeRoomForOverdue() {
  Conversation.overdue.reserve(Conversation.overdue.size() + 1);
  MakeRoomForEndedConversation();
}

// Waits for the server's WM_DDE_ACK to the request just posted with `item`
// and `memory`; its status word is then in Conversation.ackStatus. Without an
// answer in time the request is overdue: the conversation keeps the memory
// and the atom until the answer comes or the conversation ends, in the room
// made before the request was posted.
Answer AwaitAck(ATOM item, HGLOBAL memory) {
  Conversation.awaitingAck = true;
  Conversation.ackArrived = false;
  PumpMessagesUntil([] { return Conversation.ackArrived || Conversation.closedByServer; },
                    TimeoutMs());
  Conversation.awaitingAck = false;
  if (Conversation.ackArrived) return Answer::Ack;
  if (Conversation.closedByServer) return Answer::Closed;
  Conversation.serverSilent = true;
  Conversation.overdue.push_back({memory, item});
  return Answer::TimedOut;
}

// Posts a packed DDE message with `item`; on success the packed lParam
// belongs to the server and the atom is returned, 0 on failure.
ATOM PostWithItem(HWND form, UINT message, UINT_PTR low, const std::string& itemName) {
  qor::UniqueAtom item(qor::api::GlobalAddAtomA(itemName.c_str()));
  if (!item) {
    RecordDdeWindowsFailure();
    return 0;
  }
  // Packing takes memory of the system's; without it there is no message to post.
  const LPARAM lParam = qor::api::PackDDElParam(message, low, item.get());
  if (lParam == 0) {
    RecordDdeWindowsFailure();
    return false;
  }
  if (!qor::api::PostMessageA(Conversation.server, message, reinterpret_cast<WPARAM>(form),
                              lParam)) {
    RecordDdeWindowsFailure();
    qor::api::FreeDDElParam(message, lParam);
    return 0;
  }
  return item.release();
}

// Without memory for the list the windows found so far are asked; nothing
// may be thrown through the system's enumeration.
BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  try {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
  } catch (const std::exception&) {
    return FALSE;
  }
}

}  // namespace

void RecordDdeFailure(int16_t number) { DdeLastError = ErrorFromNumber(number); }

void RecordDdeWindowsFailure() { DdeLastError = ErrorFromWin32(::GetLastError()); }

bool Initiate(HWND form, const std::string& application, const std::string& topic) {
  qor::UniqueAtom applicationAtom(qor::api::GlobalAddAtomA(application.c_str()));
  qor::UniqueAtom topicAtom(qor::api::GlobalAddAtomA(topic.c_str()));
  if (!applicationAtom || !topicAtom) {
    RecordDdeFailure(qor_errors::kDdeLinkTopic);
    return false;
  }
  std::vector<HWND> windows;
  windows.reserve(kWindowRoom);
  qor::api::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));

  SettleOverdueRequests(false);
  Conversation = ConversationRecord();
  Conversation.initiating = true;
  const uint32_t start = qor::api::GetTickCount();
  bool outOfTime = false;
  for (HWND window : windows) {
    if (window == form) continue;
    const uint32_t left = RemainingMs(start, qor::api::GetTickCount(), TimeoutMs());
    if (left == 0) {
      outOfTime = true;
      break;
    }
    DWORD_PTR result = 0;
    // Not SMTO_BLOCK: the answer is sent to Form1 while this call waits.
    qor::api::SendMessageTimeoutA(window, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(form),
                                  MAKELPARAM(applicationAtom.get(), topicAtom.get()),
                                  SMTO_ABORTIFHUNG, left, &result);
    if (Conversation.server != nullptr) break;
  }
  Conversation.initiating = false;
  if (Conversation.server != nullptr) return true;
  RecordDdeFailure(outOfTime ? qor_errors::kDdeTimeout : qor_errors::kDdeNoAnswer);
  return false;
}

int16_t HandOverAndAwait(HWND form, UINT message, qor::UniqueGlobal& memory,
                         const std::string& item) {
  MakeRoomForOverdue();
  const ATOM posted = PostWithItem(form, message, reinterpret_cast<UINT_PTR>(memory.get()), item);
  if (posted == 0) return kNoAnswer;
  switch (AwaitAck(posted, memory.get())) {
    case Answer::Ack: {
      const int16_t error = AckErrorNumber(Conversation.ackStatus);
      if (error == 0) memory.release();
      return error;
    }
    case Answer::TimedOut:
      memory.release();  // the conversation holds it now
      RecordDdeFailure(qor_errors::kDdeTimeout);
      return kNoAnswer;
    case Answer::Closed:
      // A server that ended the conversation frees what it receives after.
      memory.release();
      RecordDdeFailure(qor_errors::kDdeClosed);
      return kNoAnswer;
  }
  return kNoAnswer;
}

void EndConversation(HWND form) {
  bool endUnanswered = false;
  if (form != nullptr && Conversation.server != nullptr && !Conversation.closedByServer) {
    if (Conversation.adviseActive && !Conversation.serverSilent) {
      // Without room for its answer the link is not ended apart: the end of
      // the conversation ends it too.
      bool room = false;
      try {
        MakeRoomForOverdue();
        room = true;
      } catch (const std::exception&) {
      }
      const ATOM posted =
          room ? PostWithItem(form, WM_DDE_UNADVISE, CF_TEXT, Conversation.advisedItem) : 0;
      if (posted != 0) AwaitAck(posted, nullptr);
    }
    Conversation.awaitingTerminate = true;
    if (qor::api::PostMessageA(Conversation.server, WM_DDE_TERMINATE,
                               reinterpret_cast<WPARAM>(form), 0)) {
      if (!Conversation.serverSilent && !Conversation.closedByServer) {
        PumpMessagesUntil([] { return Conversation.terminateArrived; }, TimeoutMs());
      }
      // A server that ended it meanwhile was answered and answers no more.
      endUnanswered = !Conversation.terminateArrived && !Conversation.closedByServer;
    }
  }
  SettleOverdueRequests(endUnanswered);
  Conversation = ConversationRecord();
}
