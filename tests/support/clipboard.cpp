#include "clipboard.h"

#include <cstring>

namespace e2e {

namespace {

// Puts a copy of `size` bytes on the open clipboard as `format`.
bool PutBytes(UINT format, const void* bytes, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  void* copy = memory != nullptr ? GlobalLock(memory) : nullptr;
  if (copy == nullptr) return false;
  std::memcpy(copy, bytes, size);
  GlobalUnlock(memory);
  return SetClipboardData(format, memory) != nullptr;
}

}  // namespace

HWND TestWindow() {
  static HWND window = nullptr;
  if (window == nullptr) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QorTestClipboardOwner";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                             nullptr, windowClass.hInstance, nullptr);
  }
  return window;
}

bool PutBitmapAndText(const std::string& text, bool unicodeToo) {
  if (!OpenClipboard(TestWindow())) return false;
  bool ok = EmptyClipboard() != FALSE;
  const DWORD pixels[64] = {0x00FF0000, 0x0000FF00, 0x000000FF};
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, pixels);
  ok = ok && bitmap != nullptr && SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  if (!text.empty()) {
    ok = ok && PutBytes(CF_TEXT, text.c_str(), text.size() + 1);
    const std::wstring wide(text.begin(), text.end());  // ASCII texts only
    ok = ok && (!unicodeToo ||
                PutBytes(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)));
  }
  CloseClipboard();
  return ok;
}

bool ClipboardHas(UINT format) { return IsClipboardFormatAvailable(format) != FALSE; }

bool ClipboardText(std::string& text, UINT format) {
  if (!OpenClipboard(TestWindow())) return false;
  bool ok = false;
  if (HANDLE memory = GetClipboardData(format)) {
    const SIZE_T size = GlobalSize(memory);
    if (const char* bytes = static_cast<const char*>(GlobalLock(memory))) {
      const void* nul = std::memchr(bytes, '\0', size);
      if (nul != nullptr) {
        text.assign(bytes, static_cast<const char*>(nul) - bytes);
        ok = true;
      }
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return ok;
}

bool ClipboardUnicodeText(std::wstring& text) {
  if (!OpenClipboard(TestWindow())) return false;
  bool ok = false;
  if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* chars = static_cast<const wchar_t*>(GlobalLock(memory))) {
      text = chars;
      ok = true;
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return ok;
}

}  // namespace e2e
