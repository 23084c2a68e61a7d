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

// Servers of ended conversations, each with how many of its late answers
// still carry an item atom deleted when the conversation ended.
struct SettledAnswers {
  HWND server;
  size_t count;
};
std::vector<SettledAnswers> settledAnswers;

bool TakeSettledAnswer(HWND from) {
  for (SettledAnswers& settled : settledAnswers) {
    if (settled.server == from && settled.count > 0) {
      --settled.count;
      return true;
    }
  }
  return false;
}

void OnAck(HWND from, LPARAM lParam) {
  UINT_PTR status = 0;
  UINT_PTR item = 0;
  qor::api::UnpackDDElParam(WM_DDE_ACK, lParam, &status, &item);
  qor::api::FreeDDElParam(WM_DDE_ACK, lParam);
  if (from != Conversation.server) {
    // A conversation given up already: its atom is deleted, unless that was
    // done when the conversation ended.
    if (!TakeSettledAnswer(from)) DeleteAtomValue(item);
    return;
  }
  DeleteAtomValue(item);
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
  if (ackRequested) {
    const LPARAM ack =
        qor::api::ReuseDDElParam(lParam, WM_DDE_DATA, WM_DDE_ACK, kPositiveAck, item);
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
  if (from != Conversation.server) return;  // the answer to a conversation ended before
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

void SettleOverdueRequests() {
  if (Conversation.overdue.empty()) return;
  // Without memory to remember the atoms deleted, they are left: deleting
  // one twice could take it from another program.
  bool remembered = false;
  try {
    auto settled = settledAnswers.begin();
    while (settled != settledAnswers.end() && settled->server != Conversation.server) ++settled;
    if (settled == settledAnswers.end()) {
      settledAnswers.push_back({Conversation.server, Conversation.overdue.size()});
    } else {
      settled->count += Conversation.overdue.size();
    }
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
