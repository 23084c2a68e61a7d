// answer_box CAPTION BUTTON TIMEOUT_MS OUTFILE
// Waits for a message box of any process captioned CAPTION, writes its text
// bytes to OUTFILE, and presses BUTTON (a control ID: 1 OK, 6 Yes, 7 No).
// Exit code 0 when a box was answered, 1 when none came within TIMEOUT_MS,
// 2 when the box lacks that button, 3 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: answer_box CAPTION BUTTON TIMEOUT_MS OUTFILE\n");
    return 3;
  }
  const char* caption = argv[1];
  const int button = std::atoi(argv[2]);
  const DWORD timeout = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
  const DWORD start = GetTickCount();

  // A message box: a dialog with the message text control 0xFFFF, filled
  // before it is shown.
  HWND box = nullptr;
  while (GetTickCount() - start < timeout) {
    box = FindWindowA("#32770", caption);
    if (box != nullptr && IsWindowVisible(box) && GetDlgItem(box, 0xFFFF) != nullptr) break;
    box = nullptr;
    Sleep(20);
  }
  if (box == nullptr) {
    std::fprintf(stderr, "answer_box: no box \"%s\" within %lu ms\n", caption,
                 static_cast<unsigned long>(timeout));
    return 1;
  }

  char text[4096] = {};
  const UINT length = GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  if (FILE* out = std::fopen(argv[4], "wb")) {
    std::fwrite(text, 1, length, out);
    std::fclose(out);
  }
  int result = 0;
  int press = button;
  if (GetDlgItem(box, press) == nullptr) {
    std::fprintf(stderr, "answer_box: the box has no button %d\n", button);
    result = 2;
    // Close it all the same, so that its program does not wait forever.
    for (int id : {IDOK, IDNO, IDCANCEL}) {
      if (GetDlgItem(box, id) != nullptr) {
        press = id;
        break;
      }
    }
  }
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, press)));
  return result;
}
