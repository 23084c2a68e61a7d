// The link of txtEXport, by DDE messages: setting the link mode opens or ends
// the conversation with its automatic link, and the poke sends the text. The
// messages themselves (and not the DDE management library) show whether the
// server refused a poke.
#include "txtexport.h"

#include <dde.h>

#include <cstring>

#include "dde_messages.h"
#include "dde_protocol.h"
#include "form1.h"

TextBoxRecord txtEXport;
QorError DdeLastError;

namespace {

// Asks for the automatic link on the link item in CF_TEXT. A server that
// refuses it while it accepted the conversation may still take pokes, so a
// refusal is no failure; no answer in time is.
void RequestAdvise(HWND form) {
  qor::UniqueGlobal options(qor::api::GlobalAlloc(kDdeMemory, sizeof(DDEADVISE)));
  auto* advise = options ? static_cast<DDEADVISE*>(qor::api::GlobalLock(options.get())) : nullptr;
  if (advise == nullptr) {
    RecordDdeWindowsFailure();
    return;
  }
  advise->fDeferUpd = 0;  // the data itself with every change, not only a notice
  advise->fAckReq = 1;
  advise->cfFormat = CF_TEXT;
  qor::api::GlobalUnlock(options.get());

  const std::string item = txtEXport.LinkItem;
  if (HandOverAndAwait(form, WM_DDE_ADVISE, options, item) == 0) {
    Conversation.adviseActive = true;
    Conversation.advisedItem = item;
  }
}

void OpenLink() {
  std::string application;
  std::string topic;
  if (!SplitLinkTopic(txtEXport.LinkTopic, application, topic)) {
    RecordDdeFailure(qor_errors::kDdeLinkTopic);
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

}  // namespace

void SetLinkMode(int16_t mode) {
  QorError failure;
  if (Form1Window(&failure) == nullptr) {
    DdeLastError = failure;
    return;
  }
  if (mode == txtEXport.LinkMode) return;
  if (mode == 0) {
    EndConversation(Form1Window());
    txtEXport.LinkMode = 0;
  } else if (mode == 1) {
    OpenLink();
  }
}

void LinkPoke() {
  if (txtEXport.LinkMode != 1 || Conversation.server == nullptr) {
    RecordDdeFailure(qor_errors::kDdeNoChannel);
    return;
  }
  if (Conversation.closedByServer) {
    RecordDdeFailure(qor_errors::kDdeClosed);
    return;
  }
  const HWND form = Form1Window();
  const std::string_view text = txtEXport.Text;
  // The header, the text and its terminating NUL, nothing more: the size of
  // the memory tells the server the size of the value.
  constexpr size_t kValueOffset = offsetof(DDEPOKE, Value);
  qor::UniqueGlobal data(qor::api::GlobalAlloc(kDdeMemory, kValueOffset + text.size() + 1));
  if (!data) {
    RecordDdeFailure(qor_errors::kOutOfMemory);
    return;
  }
  auto* poke = static_cast<DDEPOKE*>(qor::api::GlobalLock(data.get()));
  if (poke == nullptr) {
    RecordDdeWindowsFailure();
    return;
  }
  poke->fRelease = 1;  // accepted, the server frees the data
  poke->cfFormat = CF_TEXT;
  std::memcpy(reinterpret_cast<char*>(poke) + kValueOffset, text.data(), text.size());
  qor::api::GlobalUnlock(data.get());

  const int16_t answer = HandOverAndAwait(form, WM_DDE_POKE, data, txtEXport.LinkItem);
  if (answer > 0) RecordDdeFailure(answer);  // refused: the data is freed here
}
