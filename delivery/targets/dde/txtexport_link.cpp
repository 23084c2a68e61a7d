// The link of txtEXport, by DDE messages: the conversation, the automatic
// link, the poke and the end of it all. Every answer is awaited at most the
// link time-out, with window messages flowing. The messages themselves (and
// not the DDE management library) show whether the server refused a poke.
#include <dde.h>

#include <cstring>
#include <new>
#include <vector>

#include "form1.h"
#include "txtexport.h"
#include "dde_protocol.h"
#include "win_owners.h"

namespace {

constexpr UINT kDdeMemory = GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT;

void Fail(int16_t number) { DdeLastError = ErrorFromNumber(number); }
void FailWithLastWindowsError() { DdeLastError = ErrorFromWin32(::GetLastError()); }

uint32_t TimeoutMs() { return LinkTimeoutMs(txtEXport.LinkTimeout); }

enum class Answer { Ack, TimedOut, Closed };

// Waits for the server's WM_DDE_ACK to the request just posted.
Answer AwaitAck(uint16_t& status) {
  Conversation.awaitingAck = true;
  Conversation.ackArrived = false;
  PumpMessagesUntil([] { return Conversation.ackArrived || Conversation.closedByServer; },
                    TimeoutMs());
  Conversation.awaitingAck = false;
  if (Conversation.ackArrived) {
    status = Conversation.ackStatus;
    return Answer::Ack;
  }
  if (Conversation.closedByServer) return Answer::Closed;
  ++Conversation.overdueAcks;
  Conversation.serverSilent = true;
  return Answer::TimedOut;
}

// Posts a packed DDE message with `item`; on success the atom and the
// packed lParam belong to the server.
bool PostWithItem(HWND form, UINT message, UINT_PTR low, const std::string& itemName) {
  qor::UniqueAtom item(qor::api::GlobalAddAtomA(itemName.c_str()));
  if (!item) {
    FailWithLastWindowsError();
    return false;
  }
  const LPARAM lParam = qor::api::PackDDElParam(message, low, item.get());
  if (!qor::api::PostMessageA(Conversation.server, message, reinterpret_cast<WPARAM>(form),
                              lParam)) {
    FailWithLastWindowsError();
    qor::api::FreeDDElParam(message, lParam);
    return false;
  }
  item.release();
  return true;
}

// Without memory for the list the windows found so far are asked; nothing
// may be thrown through the system's enumeration.
BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  try {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}

// Asks every top-level window, one after the other, for the conversation;
// each answers while it is asked. Stops at the first server that accepts.
bool Initiate(HWND form, const std::string& application, const std::string& topic) {
  qor::UniqueAtom applicationAtom(qor::api::GlobalAddAtomA(application.c_str()));
  qor::UniqueAtom topicAtom(qor::api::GlobalAddAtomA(topic.c_str()));
  if (!applicationAtom || !topicAtom) {
    Fail(qor_errors::kDdeLinkTopic);
    return false;
  }
  std::vector<HWND> windows;
  qor::api::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));

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
  Fail(outOfTime ? qor_errors::kDdeTimeout : qor_errors::kDdeNoAnswer);
  return false;
}

// Asks for the automatic link on the link item in CF_TEXT. A server that
// refuses it while it accepted the conversation may still take pokes, so a
// refusal is no failure; no answer in time is.
void RequestAdvise(HWND form) {
  qor::UniqueGlobal options(qor::api::GlobalAlloc(kDdeMemory, sizeof(DDEADVISE)));
  auto* advise = options ? static_cast<DDEADVISE*>(qor::api::GlobalLock(options.get())) : nullptr;
  if (advise == nullptr) {
    FailWithLastWindowsError();
    return;
  }
  advise->fDeferUpd = 0;  // the data itself with every change, not only a notice
  advise->fAckReq = 1;
  advise->cfFormat = CF_TEXT;
  qor::api::GlobalUnlock(options.get());

  const std::string item = txtEXport.LinkItem;
  if (!PostWithItem(form, WM_DDE_ADVISE, reinterpret_cast<UINT_PTR>(options.get()), item)) return;
  uint16_t status = 0;
  switch (AwaitAck(status)) {
    case Answer::Ack:
      // Accepted, the server frees the options; refused, they stay ours.
      if (AckErrorNumber(status) == 0) {
        options.release();
        Conversation.adviseActive = true;
        Conversation.advisedItem = item;
      }
      return;
    case Answer::TimedOut:
      options.release();  // the server may still take them
      Fail(qor_errors::kDdeTimeout);
      return;
    case Answer::Closed:
      options.release();
      Fail(qor_errors::kDdeClosed);
      return;
  }
}

void OpenLink() {
  std::string application;
  std::string topic;
  if (!SplitLinkTopic(txtEXport.LinkTopic, application, topic)) {
    Fail(qor_errors::kDdeLinkTopic);
    return;
  }
  QorError failure;
  const HWND form = Form1Window(&failure);
  if (form == nullptr) {
    DdeLastError = failure;
    return;
  }
  if (!Initiate(form, application, topic)) return;
  txtEXport.LinkMode = 1;
  RequestAdvise(form);
}

// Ends the automatic link and the conversation. A server that let an answer
// time out is not waited for again; the conversation ends all the same.
void CloseLink() {
  const HWND form = Form1Window();
  if (form != nullptr && Conversation.server != nullptr && !Conversation.closedByServer) {
    if (Conversation.adviseActive && !Conversation.serverSilent &&
        PostWithItem(form, WM_DDE_UNADVISE, CF_TEXT, Conversation.advisedItem)) {
      uint16_t status = 0;
      AwaitAck(status);
    }
    Conversation.awaitingTerminate = true;
    if (qor::api::PostMessageA(Conversation.server, WM_DDE_TERMINATE,
                               reinterpret_cast<WPARAM>(form), 0) &&
        !Conversation.serverSilent && !Conversation.closedByServer) {
      PumpMessagesUntil([] { return Conversation.terminateArrived; }, TimeoutMs());
    }
  }
  Conversation = ConversationRecord();
  txtEXport.LinkMode = 0;
}

}  // namespace

void SetLinkMode(int16_t mode) {
  QorError failure;
  if (Form1Window(&failure) == nullptr) {
    DdeLastError = failure;
    return;
  }
  if (mode == txtEXport.LinkMode) return;
  if (mode == 0) {
    CloseLink();
  } else if (mode == 1) {
    OpenLink();
  }
}

void LinkPoke() {
  if (txtEXport.LinkMode != 1 || Conversation.server == nullptr) {
    Fail(qor_errors::kDdeNoChannel);
    return;
  }
  if (Conversation.closedByServer) {
    Fail(qor_errors::kDdeClosed);
    return;
  }
  const HWND form = Form1Window();
  const std::string_view text = txtEXport.Text;
  // The header, the text and its terminating NUL, nothing more: the size of
  // the memory tells the server the size of the value.
  constexpr size_t kValueOffset = offsetof(DDEPOKE, Value);
  qor::UniqueGlobal data(qor::api::GlobalAlloc(kDdeMemory, kValueOffset + text.size() + 1));
  if (!data) {
    Fail(qor_errors::kOutOfMemory);
    return;
  }
  auto* poke = static_cast<DDEPOKE*>(qor::api::GlobalLock(data.get()));
  if (poke == nullptr) {
    FailWithLastWindowsError();
    return;
  }
  poke->fRelease = 1;  // accepted, the server frees the data
  poke->cfFormat = CF_TEXT;
  std::memcpy(reinterpret_cast<char*>(poke) + kValueOffset, text.data(), text.size());
  qor::api::GlobalUnlock(data.get());

  if (!PostWithItem(form, WM_DDE_POKE, reinterpret_cast<UINT_PTR>(data.get()),
                    txtEXport.LinkItem)) {
    return;
  }
  uint16_t status = 0;
  switch (AwaitAck(status)) {
    case Answer::Ack: {
      const int16_t error = AckErrorNumber(status);
      if (error == 0) {
        data.release();
      } else {
        Fail(error);  // refused: the data stays ours and is freed here
      }
      return;
    }
    case Answer::TimedOut:
      data.release();  // the server may still take it
      Fail(qor_errors::kDdeTimeout);
      return;
    case Answer::Closed:
      data.release();
      Fail(qor_errors::kDdeClosed);
      return;
  }
}
