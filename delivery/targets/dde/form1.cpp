// Form1: a hidden top-level window, never shown, that receives the server's
// DDE messages: the acknowledgements, the data of the automatic link and the
// end of the conversation.
#include "form1.h"

#include <dde.h>

#include <exception>
#include <vector>

#include "dde_protocol.h"
#include "hidden_window.h"
#include "txtexport.h"

ConversationRecord Conversation;

namespace {

constexpr uint16_t kPositiveAck = 0x8000;  // DDEACK.fAck

// Global atoms are 0xC000 to 0xFFFF; anything else is not one to delete.
void DeleteAtomValue(UINT_PTR value) {
  if (value >= 0xC000 && value <= 0xFFFF) qor::api::GlobalDeleteAtom(static_cast<ATOM>(value));
}

// The answer to WM_DDE_INITIATE is sent, not posted, and its lParam holds two
// atoms that the server added for us. The first server to answer gets the
// conversation; any other is told at once that it is not wanted.
void OnInitiateAck(HWND form, HWND server, LPARAM lParam) {
  DeleteAtomValue(LOWORD(lParam));
  DeleteAtomValue(HIWORD(lParam));
  if (Conversation.initiating && Conversation.server == nullptr) {
    Conversation.server = server;
  } else {
    qor::api::PostMessageA(server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(form), 0);
  }
}

// Ended conversations whose server still owes answers, oldest first: how many
// acknowledgements carry an item atom deleted when the conversation ended,
// and whether the answer to its end is still to come. A server answers in the
// order of the requests, so from a window that serves every conversation
// these come before anything of a later conversation with it.
struct EndedConversation {
  HWND server;
  size_t acks;
  bool terminate;
};
std::vector<EndedConversation> endedConversations;

// Whether an answer from `from` (its answer to an end, or an acknowledgement)
// belongs to an ended conversation; that answer is then taken off. After the
// answer to its end nothing more of that conversation comes.
bool TakeEndedAnswer(HWND from, bool terminate) {
  for (auto ended = endedConversations.begin(); ended != endedConversations.end(); ++ended) {
    if (ended->server != from || (terminate ? !ended->terminate : ended->acks == 0)) continue;
    if (terminate) {
      ended->terminate = false;
      ended->acks = 0;
    } else {
      --ended->acks;
    }
    if (ended->acks == 0 && !ended->terminate) endedConversations.erase(ended);
    return true;
  }
  return false;
}

void OnAck(HWND from, LPARAM lParam) {
  UINT_PTR status = 0;
  UINT_PTR item = 0;
  qor::api::UnpackDDElParam(WM_DDE_ACK, lParam, &status, &item);
  qor::api::FreeDDElParam(WM_DDE_ACK, lParam);
  // The answer to a request of an ended conversation, whose atom was deleted
  // when it ended; the window may serve the current conversation as well.
  if (TakeEndedAnswer(from, false)) return;
  DeleteAtomValue(item);
  if (from != Conversation.server) return;
  if (!Conversation.overdue.empty()) {
    // The late answer to a request given up on: refused, its memory is ours
    // to free; accepted, the server's.
    const HGLOBAL memory = Conversation.overdue.front().memory;
    Conversation.overdue.erase(Conversation.overdue.begin());
    if (memory != nullptr && (status & kPositiveAck) == 0) qor::api::GlobalFree(memory);
    return;
  }
  if (Conversation.awaitingAck && !Conversation.ackArrived) {
    Conversation.ackArrived = true;
    Conversation.ackStatus = static_cast<uint16_t>(status);
  }
}

// Data the server sends over the automatic link replaces the text.
void OnData(HWND form, HWND from, LPARAM lParam) {
  UINT_PTR handle = 0;
  UINT_PTR item = 0;
  qor::api::UnpackDDElParam(WM_DDE_DATA, lParam, &handle, &item);
  const HGLOBAL data = reinterpret_cast<HGLOBAL>(handle);
  bool ackRequested = false;
  bool release = false;
  if (data != nullptr) {
    if (auto* value = static_cast<DDEDATA*>(qor::api::GlobalLock(data))) {
      ackRequested = value->fAckReq;
      release = value->fRelease;
      const size_t size = qor::api::GlobalSize(data);
      const size_t offset = offsetof(DDEDATA, Value);
      if (from == Conversation.server && value->cfFormat == CF_TEXT && size > offset) {
        // Without memory for the value the text stays as it was: nothing may
        // be thrown through the system's message dispatch.
        try {
          txtEXport.ReceivedText =
              TextFromValue(reinterpret_cast<const char*>(value) + offset, size - offset);
          txtEXport.Text = txtEXport.ReceivedText;
        } catch (const std::exception&) {
        }
      }
      qor::api::GlobalUnlock(data);
    }
  }
  bool itemPassedOn = false;
  // Without an acknowledgement the packed lParam is freed here. Repacking it
  // takes memory of the system's; without it the data stays unanswered, as
  // when the post fails.
  const LPARAM ack = ackRequested ? qor::api::ReuseDDElParam(lParam, WM_DDE_DATA, WM_DDE_ACK,
                                                             kPositiveAck, item)
                                  : 0;
  if (ack != 0) {
    itemPassedOn = qor::api::PostMessageA(from, WM_DDE_ACK, reinterpret_cast<WPARAM>(form), ack);
    if (!itemPassedOn) qor::api::FreeDDElParam(WM_DDE_ACK, ack);
  } else {
    qor::api::FreeDDElParam(WM_DDE_DATA, lParam);
  }
  if (!itemPassedOn) DeleteAtomValue(item);
  // With a positive answer the data is the receiver's to free when the server
  // asked for that.
  if (release && data != nullptr) qor::api::GlobalFree(data);
}

void OnTerminate(HWND form, HWND from) {
  if (TakeEndedAnswer(from, true)) return;  // the answer to a conversation ended before
  if (from != Conversation.server) return;
  if (Conversation.awaitingTerminate) {
    Conversation.terminateArrived = true;
    return;
  }
  // The server ends the conversation: it is answered and the link is gone.
  qor::api::PostMessageA(from, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(form), 0);
  Conversation.closedByServer = true;
  Conversation.adviseActive = false;
}

LRESULT CALLBACK Form1Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND from = reinterpret_cast<HWND>(wParam);
  switch (message) {
    case WM_DDE_ACK:
      if (qor::api::InSendMessage()) {
        OnInitiateAck(window, from, lParam);
      } else {
        OnAck(from, lParam);
      }
      return 0;
    case WM_DDE_DATA:
      OnData(window, from, lParam);
      return 0;
    case WM_DDE_TERMINATE:
      OnTerminate(window, from);
      return 0;
    default:
      return qor::api::DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void MakeRoomForEndedConversation() { endedConversations.reserve(endedConversations.size() + 1); }

void SettleOverdueRequests(bool endUnanswered) {
  if (Conversation.overdue.empty() && !endUnanswered) return;
  // Without memory to remember the atoms deleted, they are left: deleting
  // one twice could take it from another program. The room is made before
  // the requests are posted, so this is rare.
  bool remembered = false;
  try {
    endedConversations.push_back({Conversation.server, Conversation.overdue.size(), endUnanswered});
    remembered = true;
  } catch (const std::exception&) {
  }
  for (const OverdueRequest& request : Conversation.overdue) {
    if (request.memory != nullptr) qor::api::GlobalFree(request.memory);
    if (remembered) DeleteAtomValue(request.item);
  }
  Conversation.overdue.clear();
}

HWND Form1Window(QorError* failure) {
  static HiddenWindowClass form1Class{"QorForm1", Form1Procedure};
  static HWND form = nullptr;
  if (form == nullptr) {
    const HiddenWindow created = CreateHiddenWindow(form1Class, "Form1", false);
    form = created.window;
    if (form == nullptr && failure != nullptr) {
      *failure = created.error != NO_ERROR ? ErrorFromWin32(created.error)
                                           : ErrorFromNumber(qor_errors::kWindowNotCreated);
    }
  }
  return form;
}
