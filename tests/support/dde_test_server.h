// The test DDE server (qor_dde_test_server.exe) as a process of a test, with
// its record, and the trace lines of qor.exe's DDE branch.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "qor_e2e.h"

namespace e2e {

extern const char kDataSent[];
std::string FailureLine(const std::string& numberAndDescription);

// qor_dde_test_server.exe, started with a service, a topic and further
// options, recording into a file of `dir`. Stopped when it goes.
class TestServer : Uncopyable {
 public:
  TestServer(const TempDir& dir, const std::string& service, const std::string& topic,
             const std::string& options = "");
  ~TestServer();

  static std::string ExePath();

  bool ready() const { return ready_; }
  // The record lines so far, without "ready" and "idle".
  Lines Records() const;
  // Waits until the record lines are `expected`.
  bool WaitForRecords(const Lines& expected, DWORD timeoutMs = 15000) const;
  // Waits until a record line equals `line`.
  bool WaitForRecord(const std::string& line, DWORD timeoutMs = 10000) const;
  // Waits until the server has handled everything sent to it so far: an
  // "idle" record after the last DDE activity.
  bool WaitUntilIdle(DWORD timeoutMs = 15000) const;
  // Ends the server at once (for one that hangs on purpose).
  void Kill();

 private:
  Lines AllLines() const;

  std::string log_;
  PROCESS_INFORMATION process_{};
  bool ready_ = false;
};

}  // namespace e2e
