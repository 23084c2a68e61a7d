// Clipboard target: the payload as text in CF_TEXT, the bytes unchanged.
#include <cstring>
#include <string>

#include "hidden_window.h"
#include "qor_state.h"
#include "targets.h"
#include "win_owners.h"

namespace {

// Another program often holds the clipboard open for a moment; it is asked
// again a few times, for well under a second in all.
constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenRetryMs = 30;

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return qor::api::DefWindowProcA(window, message, wParam, lParam);
}

HiddenWindowClass ownerClass{"QorClipboardOwner", OwnerProcedure};

// The clipboard's owner after EmptyClipboard: a hidden window, never shown,
// kept until the program ends. With no window as owner, emptying the
// clipboard leaves it without one and SetClipboardData may then fail. Without
// an owner the block is tried all the same; why it is missing is not told.
HWND ClipboardOwnerWindow() {
  static HWND owner = nullptr;
  DWORD unused = 0;
  if (owner == nullptr) owner = CreateHiddenWindow(ownerClass, "", unused, true);
  return owner;
}

// `count` characters and a terminating NUL in global memory, as the text
// formats of the clipboard want them.
template <typename Char>
qor::UniqueGlobal InGlobalMemory(const Char* text, size_t count) {
  qor::UniqueGlobal memory(qor::api::GlobalAlloc(GMEM_MOVEABLE, (count + 1) * sizeof(Char)));
  if (!memory) return memory;
  auto* chars = static_cast<Char*>(qor::api::GlobalLock(memory.get()));
  if (chars == nullptr) return qor::UniqueGlobal();
  std::memcpy(chars, text, count * sizeof(Char));
  chars[count] = Char();
  qor::api::GlobalUnlock(memory.get());
  return memory;
}

// The payload as UTF-16 and in the OEM code page, converted as the system
// converts CF_TEXT itself. Empty owners when a conversion fails.
struct OtherTextForms {
  qor::UniqueGlobal unicode;
  qor::UniqueGlobal oem;
};

OtherTextForms ConvertText(const std::string& text) {
  OtherTextForms forms;
  std::wstring wide;
  if (!text.empty()) {
    const int size = static_cast<int>(text.size());
    const int wideSize = qor::api::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (wideSize <= 0) return forms;
    wide.resize(static_cast<size_t>(wideSize));
    qor::api::MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], wideSize);
  }
  forms.unicode = InGlobalMemory(wide.data(), wide.size());
  std::string oem;
  if (!wide.empty()) {
    const int wideSize = static_cast<int>(wide.size());
    const int oemSize = qor::api::WideCharToMultiByte(CP_OEMCP, 0, wide.data(), wideSize, nullptr,
                                                      0, nullptr, nullptr);
    if (oemSize <= 0) return forms;
    oem.resize(static_cast<size_t>(oemSize));
    qor::api::WideCharToMultiByte(CP_OEMCP, 0, wide.data(), wideSize, &oem[0], oemSize, nullptr,
                                  nullptr);
  }
  forms.oem = InGlobalMemory(oem.data(), oem.size());
  return forms;
}

void SetIfPresent(UINT format, qor::UniqueGlobal& memory) {
  if (memory && qor::api::SetClipboardData(format, memory.get()) != nullptr) memory.release();
}

}  // namespace

// Emptying and setting happen in one opening of the clipboard, so no other
// program can come in between. Any failure abandons the block, silently.
//
// Setting CF_TEXT replaces only that format. When the clipboard is kept, text
// that a program put there in Unicode (or the OEM code page) besides would
// still be what every program that pastes Unicode gets, so the payload
// replaces those forms of the text too.
void PutBlockOnClipboard() {
  qor::UniqueGlobal text = InGlobalMemory(JobBlock.DataText.data(), JobBlock.DataText.size());
  if (!text) return;
  OtherTextForms otherForms;
  if (JobBlock.AppendFlag) otherForms = ConvertText(JobBlock.DataText);
  const HWND owner = ClipboardOwnerWindow();
  for (int attempt = 1;; ++attempt) {
    qor::ClipboardOpen clipboard(owner);
    if (clipboard) {
      if (!JobBlock.AppendFlag && !qor::api::EmptyClipboard()) return;
      if (qor::api::SetClipboardData(CF_TEXT, text.get()) == nullptr) return;
      text.release();
      SetIfPresent(CF_UNICODETEXT, otherForms.unicode);
      SetIfPresent(CF_OEMTEXT, otherForms.oem);
      return;
    }
    if (attempt >= kOpenAttempts) return;
    qor::api::Sleep(kOpenRetryMs);
  }
}
