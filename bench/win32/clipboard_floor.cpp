// The floor for a clipboard block: a program that only puts 1 KB of text on
// the clipboard (the user interface library and its display connection come
// with the first clipboard call).
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char text[1024];
  std::memset(text, 'x', sizeof text - 1);
  text[sizeof text - 1] = '\0';
  if (!OpenClipboard(nullptr)) return 1;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
  if (memory != nullptr) {
    std::memcpy(GlobalLock(memory), text, sizeof text);
    GlobalUnlock(memory);
    if (SetClipboardData(CF_TEXT, memory) == nullptr) GlobalFree(memory);
  }
  CloseClipboard();
  return 0;
}
