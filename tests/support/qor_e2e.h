// Support for tests that drive the real qor.exe under Wine: starting it with an
// exact command line, the trace switch and log, scratch directories, files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

constexpr char kTraceSwitch[] = "c:\\etc\\qortest";
constexpr char kTraceLog[] = "c:\\etc\\qor.log";

// Directory of the running test program; qor.exe and the helpers lie there.
std::string BinDir();
std::string QorExe();

struct RunResult {
  bool started = false;
  bool finished = false;   // ended within the time-out
  DWORD exitCode = 0;
  DWORD elapsedMs = 0;
};

// Starts qor.exe with `argumentText` after its quoted path and one blank,
// exactly as given, and waits for it to end (window messages keep flowing).
RunResult RunQor(const std::string& argumentText, DWORD timeoutMs = 60000);
// The same with a whole command line of one's own.
RunResult RunCommandLine(const std::string& commandLine, DWORD timeoutMs = 60000);
// Starts qor.exe once for each argument text, all before waiting for any, and
// waits for them all within `timeoutMs`.
std::vector<RunResult> RunQorAtOnce(const std::vector<std::string>& argumentTexts,
                                    DWORD timeoutMs = 60000);
// RunQor with `currentDir` as qor.exe's current directory, against which
// relative names resolve.
RunResult RunQorIn(const std::string& currentDir, const std::string& argumentText,
                   DWORD timeoutMs = 60000);

// Waits for a process while dispatching this thread's window messages.
bool WaitPumping(HANDLE process, DWORD timeoutMs);

enum class Trace { Off, ZeroBytes, On };
// Sets the trace switch file and removes the trace log.
void SetTrace(Trace mode);

bool ReadFileBytes(const std::string& path, std::string& bytes);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// The messages of the trace log's lines. Every line must have the layout
// "DD.MM.YYYY HH:MM -QOR- message" and end in CR LF; a line that does not is
// returned as "<bad line> ..." so the comparison fails visibly.
std::vector<std::string> TraceMessages();

// A scratch directory below %TEMP%, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

void RemoveTree(const std::string& path);

// Reserves all free address space of this process but for about `leftBytes`
// in one piece, so that larger allocations fail for real; given back when the
// object goes.
class AddressSpaceSqueeze {
 public:
  explicit AddressSpaceSqueeze(size_t leftBytes);
  ~AddressSpaceSqueeze();
  AddressSpaceSqueeze(const AddressSpaceSqueeze&) = delete;
  AddressSpaceSqueeze& operator=(const AddressSpaceSqueeze&) = delete;
  size_t reservedBytes() const { return reservedBytes_; }

 private:
  std::vector<void*> reserved_;
  size_t reservedBytes_ = 0;
};

// Job-file pieces.
std::string Header(const std::string& entries);
std::string Data(const std::string& payload);
std::string FileBlock(const std::string& fileName, const std::string& payload,
                      bool append = false, const std::string& program = "");
std::string ClipboardBlock(const std::string& payload, bool append = false);
std::string DdeBlock(const std::string& service, const std::string& server,
                     const std::string& topic, const std::string& item,
                     const std::string& payload);

// The trace lines of a traced run of dir\job.qor: the start line, the
// "Parameter:  " line, then `more`.
std::vector<std::string> RunLines(const TempDir& dir, const std::vector<std::string>& more = {});

// Writes `job` to a job file in `dir` and runs qor.exe on it.
RunResult RunJob(const TempDir& dir, const std::string& job, DWORD timeoutMs = 60000);

}  // namespace e2e
