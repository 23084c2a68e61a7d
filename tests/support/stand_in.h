// Copies of the stand-in program (stand_in.exe), which records how it was
// started, for qor.exe to start as a DDE server or an external program; and
// the processes running from them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "files.h"

namespace e2e {

// "<stem>-<process id>-<counter>.exe": a file name no other test uses.
std::string UniqueName(const char* stem);

// Copies the stand-in to `path`, creating its directories.
bool PlaceStandIn(const std::string& path);

// What a copy records when started with `commandLine`, the STARTUPINFO flags
// and window state `show` ("1,4") and this test program's current directory.
std::string StartRecord(const std::string& commandLine, const std::string& show);

// Identifiers of the running processes whose executable has the file name of
// `path` (compared ignoring case). Each copy gets a file name of its own, so
// this counts the instances of one copy.
std::vector<DWORD> ProcessesOf(const std::string& path);

// Starts a copy as a person would and waits until it has recorded its start.
bool StartDirectly(const std::string& path);

// The start records the copies at `path` wrote, once `count` are there (or
// the time-out passed).
std::vector<std::string> StartRecords(const std::string& path, size_t count,
                                      DWORD timeoutMs = 20000);

// Ends every process running from a copy with the file name of `path`.
void EndProcessesOf(const std::string& path);

// A copy placed at `path` whose processes are ended when it goes.
class StandIn : Uncopyable {
 public:
  explicit StandIn(const std::string& path) : path_(path), placed_(PlaceStandIn(path)) {}
  ~StandIn() { EndProcessesOf(path_); }
  const std::string& path() const { return path_; }
  bool placed() const { return placed_; }

 private:
  std::string path_;
  bool placed_;
};

// `text` with the letter case of every ASCII letter turned round.
std::string SwapCase(std::string text);

}  // namespace e2e
