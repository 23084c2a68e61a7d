// Clipboard target: the payload as text in CF_TEXT, the bytes unchanged.
#include "clipboard_target.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "hidden_window.h"
#include "qor_state.h"
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
  if (owner == nullptr) owner = CreateHiddenWindow(ownerClass, "", true).window;
  return owner;
}

// Global memory for a text of `count` characters and its NUL, as the text
// formats of the clipboard want them, filled by `convert` with the memory
// locked; null when either fails. The text is made straight in the memory the
// clipboard gets: a large payload has no copy of it besides.
template <typename Char, typename Convert>
qor::UniqueGlobal ConvertedInGlobalMemory(size_t count, Convert convert) {
  if (count >= SIZE_MAX / sizeof(Char)) return qor::UniqueGlobal();  // more than there can be
  qor::UniqueGlobal memory(qor::api::GlobalAlloc(GMEM_MOVEABLE, (count + 1) * sizeof(Char)));
  if (!memory) return memory;
  auto* chars = static_cast<Char*>(qor::api::GlobalLock(memory.get()));
  if (chars == nullptr) return qor::UniqueGlobal();
  const bool converted = count == 0 || convert(chars);
  chars[count] = Char();
  qor::api::GlobalUnlock(memory.get());
  return converted ? std::move(memory) : qor::UniqueGlobal();
}

// The payload as UTF-16 and in the OEM code page, converted as the system
// converts CF_TEXT itself. Empty owners when a conversion fails.
struct OtherTextForms {
  qor::UniqueGlobal unicode;
  qor::UniqueGlobal oem;
};

OtherTextForms ConvertText(std::string_view text) {
  OtherTextForms forms;
  const int size = static_cast<int>(text.size());
  const int wideSize =
      size == 0 ? 0 : qor::api::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (size > 0 && wideSize <= 0) return forms;
  forms.unicode = ConvertedInGlobalMemory<wchar_t>(wideSize, [&](wchar_t* wide) {
    return qor::api::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide, wideSize) == wideSize;
  });
  if (!forms.unicode) return forms;
  const auto* wide = static_cast<const wchar_t*>(qor::api::GlobalLock(forms.unicode.get()));
  if (wide == nullptr) return forms;
  const int oemSize = wideSize == 0 ? 0
                                    : qor::api::WideCharToMultiByte(CP_OEMCP, 0, wide, wideSize,
                                                                    nullptr, 0, nullptr, nullptr);
  if (wideSize == 0 || oemSize > 0) {
    forms.oem = ConvertedInGlobalMemory<char>(oemSize, [&](char* oem) {
      return qor::api::WideCharToMultiByte(CP_OEMCP, 0, wide, wideSize, oem, oemSize, nullptr,
                                           nullptr) == oemSize;
    });
  }
  qor::api::GlobalUnlock(forms.unicode.get());
  return forms;
}

// False when the form was there and the clipboard refused it.
bool SetIfPresent(UINT format, qor::UniqueGlobal& memory) {
  if (!memory) return true;
  if (qor::api::SetClipboardData(format, memory.get()) == nullptr) return false;
  memory.release();
  return true;
}

qor::UniqueGlobal PayloadInGlobalMemory(std::string_view payload) {
  return ConvertedInGlobalMemory<char>(payload.size(), [&](char* chars) {
    std::memcpy(chars, payload.data(), payload.size());
    return true;
  });
}

// With the clipboard open: empties it and puts the payload alone on it, as
// CF_TEXT, whose other forms the system then makes itself.
void PutPayloadAlone(std::string_view payload) {
  qor::UniqueGlobal text = PayloadInGlobalMemory(payload);
  if (text && qor::api::EmptyClipboard() &&
      qor::api::SetClipboardData(CF_TEXT, text.get()) != nullptr) {
    text.release();
  }
}

}  // namespace

// Emptying and setting happen in one opening of the clipboard, so no other
// program can come in between. Any failure abandons the block, silently; so
// does a lack of memory for the text's copies, which are all made before the
// clipboard is opened.
//
// Setting CF_TEXT replaces only that format. When the clipboard is kept, text
// that a program put there in Unicode (or the OEM code page) besides would
// still be what every program that pastes Unicode gets, so the payload
// replaces those forms of the text too.
void PutBlockOnClipboard() {
  const std::string_view payload = JobBlock.DataText;
  qor::UniqueGlobal text = PayloadInGlobalMemory(payload);
  if (!text) return;
  OtherTextForms otherForms;
  if (JobBlock.AppendFlag) {
    otherForms = ConvertText(payload);
    if (!otherForms.unicode || !otherForms.oem) return;
  }
  const HWND owner = ClipboardOwnerWindow();
  for (int attempt = 1;; ++attempt) {
    qor::ClipboardOpen clipboard(owner);
    if (clipboard) {
      if (!JobBlock.AppendFlag && !qor::api::EmptyClipboard()) return;
      if (qor::api::SetClipboardData(CF_TEXT, text.get()) == nullptr) return;
      text.release();
      // A form of the earlier text left beside the payload would be what
      // some programs paste: the payload then stands alone, and the other
      // formats (a picture) are given up for it.
      if (!SetIfPresent(CF_UNICODETEXT, otherForms.unicode) ||
          !SetIfPresent(CF_OEMTEXT, otherForms.oem)) {
        PutPayloadAlone(payload);
      }
      return;
    }
    if (attempt >= kOpenAttempts) return;
    qor::api::Sleep(kOpenRetryMs);
  }
}
