// Form1, the program's hidden form: the window that receives the server's DDE
// messages, and what it has received of the one conversation it holds. Only
// the DDE client files use this header.
#pragma once

#include <cstdint>
#include <vector>
#include <string>

#include "error_table.h"
#include "win_api.h"

// A request whose answer did not come in time: what it handed the server
// stays the client's until the answer says otherwise.
struct OverdueRequest {
  HGLOBAL memory = nullptr;  // the request's memory, if it carried any
  ATOM item = 0;             // its item atom
};

struct ConversationRecord {
  HWND server = nullptr;      // the server's window of this conversation
  bool initiating = false;    // WM_DDE_INITIATE is being sent
  bool adviseActive = false;  // the server accepted the automatic link
  std::string advisedItem;    // the item of that link
  // Answers that did not come in time, oldest first. The server answers in
  // order, so the next acknowledgements belong to these requests; closing
  // the conversation does not wait for a silent server. A vector, not a
  // deque: an empty deque already takes memory, and this record is made
  // before the program starts, where running out of it cannot be caught.
  std::vector<OverdueRequest> overdue;
  bool serverSilent = false;
  bool awaitingAck = false;
  bool ackArrived = false;
  uint16_t ackStatus = 0;
  bool awaitingTerminate = false;
  bool terminateArrived = false;
  bool closedByServer = false;  // the server ended the conversation itself
};

extern ConversationRecord Conversation;

// Room for remembering one more ended conversation whose server still owes
// answers, made before requests are posted. Throws std::bad_alloc.
void MakeRoomForEndedConversation();

// Frees what the overdue requests of Conversation carried, before it ends:
// their answers, should they still come, carry atoms deleted here already,
// and are told from the answers of a later conversation with the same window
// by their order. `endUnanswered`: the server has not yet answered the end.
void SettleOverdueRequests(bool endUnanswered);

// Form1's window, created on first use and tried again after a failure; null
// when it cannot be created, with `failure` (when given) saying why.
HWND Form1Window(QorError* failure = nullptr);
