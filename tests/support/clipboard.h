// The clipboard as another program sees it.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// A hidden window of the test program that owns the clipboard when the test
// puts something on it.
HWND TestWindow();

// Empties the clipboard and puts an 8x8 bitmap and, when not empty, `text`
// on it: as CF_TEXT, and when `unicodeToo` also as CF_UNICODETEXT of its own,
// as programs that work in Unicode do.
bool PutBitmapAndText(const std::string& text, bool unicodeToo = false);
bool ClipboardHas(UINT format);
// The bytes of CF_TEXT (or CF_OEMTEXT) up to the terminating NUL; false when
// there is no such text or it has no NUL within its memory.
bool ClipboardText(std::string& text, UINT format = CF_TEXT);
// The CF_UNICODETEXT the clipboard offers, as UTF-16 code units.
bool ClipboardUnicodeText(std::wstring& text);

}  // namespace e2e
