// Support for the DDE and clipboard tests: the test DDE server as a process
// with its record, waiting while window messages flow, and the clipboard as
// another program sees it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "qor_e2e.h"

namespace dde_test {

// The trace lines of the DDE branch.
extern const char kDataSent[];
std::string FailureLine(const std::string& numberAndDescription);

// The bytes as the test server records them: two upper-case hex digits each.
std::string Hex(const std::string& bytes);

// Dispatches this thread's messages for up to `ms` milliseconds or until
// `done` returns true; true when done.
template <typename Done>
bool PumpUntil(Done done, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    const DWORD spent = GetTickCount() - start;
    if (spent >= ms) return false;
    const DWORD slice = ms - spent < 20 ? ms - spent : 20;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_ALLINPUT);
  }
}

// qor_dde_test_server.exe, started with a service, a topic and further
// options, recording into a file of `dir`. Stopped when it goes.
class TestServer {
 public:
  TestServer(const e2e::TempDir& dir, const std::string& service, const std::string& topic,
             const std::string& options = "");
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  static std::string ExePath();

  bool ready() const { return ready_; }
  // The record lines so far, without "ready" and "idle".
  std::vector<std::string> Records() const;
  // Waits until a record line equals `line`.
  bool WaitForRecord(const std::string& line, DWORD timeoutMs = 10000) const;
  // Waits until the server has handled everything sent to it so far: an
  // "idle" record after the last DDE activity.
  bool WaitUntilIdle(DWORD timeoutMs = 15000) const;
  // Ends the server at once (for one that hangs on purpose).
  void Kill();

 private:
  std::vector<std::string> AllLines() const;

  std::string log_;
  PROCESS_INFORMATION process_{};
  bool ready_ = false;
};

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

}  // namespace dde_test
