// answer_box CAPTION BUTTON TIMEOUT_MS OUTFILE
// Waits for a message box of any program captioned CAPTION, writes its text
// bytes to OUTFILE, and presses BUTTON (1 OK, 6 Yes, 7 No) as a person would.
// Exit code 0 when a box was answered, 1 when none came within TIMEOUT_MS,
// 2 when the box lacks that button (it is closed all the same), 3 on bad
// arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "box_answerer.h"
#include "wait_for.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: answer_box CAPTION BUTTON TIMEOUT_MS OUTFILE\n");
    return 3;
  }
  const int button = std::atoi(argv[2]);
  const DWORD timeout = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
  BoxAnswerer answerer(argv[1], button == IDOK ? IDNO : button);
  e2e::WaitFor([&] { return answerer.answered() > 0; }, timeout);
  const std::vector<SeenBox> boxes = answerer.Stop();
  if (boxes.empty()) {
    std::fprintf(stderr, "answer_box: no box \"%s\" within %s ms\n", argv[1], argv[3]);
    return 1;
  }
  if (FILE* out = std::fopen(argv[4], "wb")) {
    std::fwrite(boxes[0].text.data(), 1, boxes[0].text.size(), out);
    std::fclose(out);
  }
  if (button == IDOK ? !boxes[0].ok : !(boxes[0].yes && boxes[0].no)) {
    std::fprintf(stderr, "answer_box: the box has no button %d\n", button);
    return 2;
  }
  return 0;
}
