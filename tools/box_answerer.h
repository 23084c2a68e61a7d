// Answers message boxes as a person would: finds a box by its caption once it
// is shown, reads what it says and which buttons it offers, and presses one.
// Used by qor_launch, which runs qor.exe unattended, and by the tests.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// A message box as it was shown.
struct SeenBox {
  std::string text;  // the bytes of the message, as the box holds them
  int buttons = 0;   // how many it shows, and which of them:
  bool ok = false;
  bool yes = false;
  bool no = false;
  HICON icon = nullptr;
  bool topmost = false;
  HWND owner = nullptr;
  bool okOnly() const { return ok && buttons == 1; }
  bool yesNoOnly() const { return yes && no && buttons == 2; }
};

// The shown message boxes of any program captioned `caption`.
std::vector<HWND> FindShownBoxes(const char* caption);
SeenBox ReadBox(HWND box);
// Clicks the button `id` (IDOK, IDYES, IDNO, ...).
void PressButton(HWND box, int id);

// Answers every box captioned `caption` from a thread of its own until
// stopped: OK where the box offers OK, else `yesNoAnswer` (IDYES or IDNO).
class BoxAnswerer {
 public:
  BoxAnswerer(const char* caption, int yesNoAnswer = IDNO);
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;
  ~BoxAnswerer();

  // Stops answering; the boxes seen, in order.
  std::vector<SeenBox> Stop();
  // The number of boxes answered so far.
  size_t answered() const { return answered_; }

 private:
  void Answer();

  std::string caption_;
  int yesNoAnswer_;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> answered_{0};
  std::vector<SeenBox> seen_;
  std::thread thread_;
};
