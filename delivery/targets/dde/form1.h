// Form1, the program's hidden form: the window that receives the server's DDE
// messages, and what it has received of the one conversation it holds. Only
// the DDE client files use this header.
#pragma once

#include <cstdint>
#include <string>

#include "error_table.h"
#include "win_api.h"

struct ConversationRecord {
  HWND server = nullptr;      // the server's window of this conversation
  bool initiating = false;    // WM_DDE_INITIATE is being sent
  bool adviseActive = false;  // the server accepted the automatic link
  std::string advisedItem;    // the item of that link
  // An answer did not come in time. The server answers in order, so that
  // many acknowledgements still due belong to earlier requests; closing the
  // conversation does not wait for a silent server.
  uint32_t overdueAcks = 0;
  bool serverSilent = false;
  bool awaitingAck = false;
  bool ackArrived = false;
  uint16_t ackStatus = 0;
  bool awaitingTerminate = false;
  bool terminateArrived = false;
  bool closedByServer = false;  // the server ended the conversation itself
};

extern ConversationRecord Conversation;

// Form1's window, created on first use and tried again after a failure; null
// when it cannot be created, with `failure` (when given) saying why.
HWND Form1Window(QorError* failure = nullptr);
