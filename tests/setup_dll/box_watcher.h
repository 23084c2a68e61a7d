// Answers the message boxes CheckMimeType shows, from a thread of its own,
// and records what each box looked like.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace setup_test {

struct SeenBox {
  std::string text;  // the bytes of the message, as the box holds them
  bool okButton = false;
  bool yesButton = false;
  bool noButton = false;
  bool cancelButton = false;
  bool icon = false;
  bool topmost = false;
  HWND owner = nullptr;
};

class BoxWatcher {
 public:
  // Every box captioned `caption` is answered: OK where it has OK, else
  // `yesNoAnswer` (IDYES or IDNO).
  BoxWatcher(const char* caption, int yesNoAnswer);
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;
  ~BoxWatcher();

  // Stops watching; the boxes seen so far.
  const std::vector<SeenBox>& Stop();

 private:
  void Watch();

  std::string caption_;
  int yesNoAnswer_;
  std::atomic<bool> stop_{false};
  std::vector<SeenBox> seen_;
  std::thread thread_;
};

}  // namespace setup_test
