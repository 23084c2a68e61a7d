// Support for tests that drive the real qor.exe under Wine: starting it with
// an exact command line, the trace switch and log, and the files, waits and
// job text it needs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "files.h"
#include "job_text.h"
#include "wait_for.h"

namespace e2e {

using jobtext::ClipboardBlock;
using jobtext::Data;
using jobtext::DdeBlock;
using jobtext::FileBlock;
using jobtext::Header;
using jobtext::Hex;
using Lines = std::vector<std::string>;

constexpr char kTraceSwitch[] = "c:\\etc\\qortest";
constexpr char kTraceLog[] = "c:\\etc\\qor.log";

std::string QorExe();

// Starts `commandLine` in `currentDir` (none: this program's), with standard
// output and error going to `output` (none: this program's).
bool StartProcess(const std::string& commandLine, PROCESS_INFORMATION& started,
                  const char* currentDir = nullptr, HANDLE output = nullptr);

struct RunResult {
  bool started = false;
  bool finished = false;  // ended within the time-out
  DWORD exitCode = 0;
  DWORD elapsedMs = 0;
  DWORD startError = 0;  // GetLastError of a start that failed
};

// Starts qor.exe with `argumentText` after its quoted path and one blank,
// exactly as given, and waits for it to end (window messages keep flowing).
RunResult RunQor(const std::string& argumentText, DWORD timeoutMs = 60000);
// The same with a whole command line of one's own; ended when it runs longer.
RunResult RunCommandLine(const std::string& commandLine, DWORD timeoutMs = 60000,
                         HANDLE output = nullptr);
// Starts qor.exe once for each argument text, all before waiting for any, and
// waits for them all within `timeoutMs`.
std::vector<RunResult> RunQorAtOnce(const Lines& argumentTexts, DWORD timeoutMs = 60000);
// RunQor with `currentDir` as qor.exe's current directory, against which
// relative names resolve.
RunResult RunQorIn(const std::string& currentDir, const std::string& argumentText,
                   DWORD timeoutMs = 60000);

enum class Trace { Off, ZeroBytes, On };
// Sets the trace switch file and removes the trace log.
void SetTrace(Trace mode);

// The messages of the trace log's lines. Every line must have the layout
// "DD.MM.YYYY HH:MM -QOR- message" and end in CR LF; a line that does not is
// returned as "<bad line> ..." so the comparison fails visibly.
Lines TraceMessages();

// The trace lines of a traced run with `argumentText`: the start line, the
// "Parameter:  " line, then `more`.
Lines StartLines(const std::string& argumentText, const Lines& more = {});
// The same for a run of dir\job.qor.
Lines RunLines(const TempDir& dir, const Lines& more = {});

// The trace line of a file block whose save failed, with the error's number
// and text as the log writes them (" 76 Pfad nicht gefunden"), and of one
// whose append failed (" 70: Zugriff verweigert").
std::string SaveFailureLine(const std::string& name, const std::string& numberAndText);
std::string AppendFailureLine(const std::string& name, const std::string& numberAndText);

// Writes `job` to a job file in `dir` and runs qor.exe on it.
RunResult RunJob(const TempDir& dir, const std::string& job, DWORD timeoutMs = 60000);

// What qorcheck.exe prints (output and errors) when started, as qor.exe is,
// with `argumentText` after its quoted path and one blank, exactly as given;
// "<no report>" when it did not end in time. `run` receives how it ended.
std::string QorcheckReport(const TempDir& dir, const std::string& argumentText,
                           RunResult* run = nullptr, DWORD timeoutMs = 60000);

// Reserves all free address space of this process but for about `leftBytes`
// in one piece, so that larger allocations fail for real; given back when the
// object goes.
class AddressSpaceSqueeze : Uncopyable {
 public:
  explicit AddressSpaceSqueeze(size_t leftBytes);
  ~AddressSpaceSqueeze();
  size_t reservedBytes() const { return reservedBytes_; }

 private:
  std::vector<void*> reserved_;
  size_t reservedBytes_ = 0;
};

}  // namespace e2e
