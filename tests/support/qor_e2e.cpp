#include "qor_e2e.h"

namespace e2e {

std::string QorExe() { return BinDir() + "\\qor.exe"; }

bool StartProcess(const std::string& commandLine, PROCESS_INFORMATION& started,
                  const char* currentDir, HANDLE output) {
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (output != nullptr) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = output;
    si.hStdError = output;
  }
  return CreateProcessA(nullptr, writable.data(), nullptr, nullptr, output != nullptr, 0, nullptr,
                        currentDir, &si, &started) != FALSE;
}

namespace {

// A started process and when it was started.
struct Started {
  PROCESS_INFORMATION pi{};
  DWORD start = 0;
  bool ok = false;
  DWORD error = 0;
};

Started StartIn(const std::string& commandLine, const char* currentDir, HANDLE output = nullptr) {
  Started started;
  started.start = GetTickCount();
  started.ok = StartProcess(commandLine, started.pi, currentDir, output);
  if (!started.ok) started.error = GetLastError();
  return started;
}

// Waits for the process to end within what is left of `timeoutMs` since
// `since`, and ends it when it does not.
RunResult Finish(const Started& started, DWORD since, DWORD timeoutMs) {
  RunResult result;
  result.startError = started.error;
  if (!started.ok) return result;
  result.started = true;
  const DWORD spent = GetTickCount() - since;
  result.finished = WaitPumping(started.pi.hProcess, spent < timeoutMs ? timeoutMs - spent : 0);
  result.elapsedMs = GetTickCount() - started.start;
  if (!result.finished) TerminateProcess(started.pi.hProcess, 99);
  GetExitCodeProcess(started.pi.hProcess, &result.exitCode);
  CloseHandle(started.pi.hThread);
  CloseHandle(started.pi.hProcess);
  return result;
}

RunResult RunIn(const std::string& commandLine, const char* currentDir, DWORD timeoutMs,
                HANDLE output = nullptr) {
  const Started started = StartIn(commandLine, currentDir, output);
  return Finish(started, started.start, timeoutMs);
}

}  // namespace

RunResult RunCommandLine(const std::string& commandLine, DWORD timeoutMs, HANDLE output) {
  return RunIn(commandLine, nullptr, timeoutMs, output);
}

RunResult RunQor(const std::string& argumentText, DWORD timeoutMs) {
  return RunCommandLine("\"" + QorExe() + "\" " + argumentText, timeoutMs);
}

std::vector<RunResult> RunQorAtOnce(const Lines& argumentTexts, DWORD timeoutMs) {
  const DWORD since = GetTickCount();
  std::vector<Started> started;
  for (const std::string& text : argumentTexts) {
    started.push_back(StartIn("\"" + QorExe() + "\" " + text, nullptr));
  }
  std::vector<RunResult> results;
  for (const Started& one : started) results.push_back(Finish(one, since, timeoutMs));
  return results;
}

RunResult RunQorIn(const std::string& currentDir, const std::string& argumentText,
                   DWORD timeoutMs) {
  return RunIn("\"" + QorExe() + "\" " + argumentText, currentDir.c_str(), timeoutMs);
}

void SetTrace(Trace mode) {
  CreateDirectoryA("c:\\etc", nullptr);
  DeleteFileA(kTraceLog);
  switch (mode) {
    case Trace::Off:
      DeleteFileA(kTraceSwitch);
      break;
    case Trace::ZeroBytes:
      WriteFileBytes(kTraceSwitch, "");
      break;
    case Trace::On:
      WriteFileBytes(kTraceSwitch, "1");
      break;
  }
}

namespace {

bool Digits(const std::string& s, size_t at, size_t n) {
  for (size_t i = at; i < at + n; ++i) {
    if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
  }
  return true;
}

// "DD.MM.YYYY HH:MM -QOR- " is 23 characters.
bool HasStamp(const std::string& line) {
  return line.size() >= 23 && Digits(line, 0, 2) && line[2] == '.' && Digits(line, 3, 2) &&
         line[5] == '.' && Digits(line, 6, 4) && line[10] == ' ' && Digits(line, 11, 2) &&
         line[13] == ':' && Digits(line, 14, 2) && line.compare(16, 7, " -QOR- ") == 0;
}

}  // namespace

Lines TraceMessages() {
  Lines messages;
  std::string log;
  if (!ReadFileBytes(kTraceLog, log)) return messages;
  size_t pos = 0;
  while (pos < log.size()) {
    const size_t end = log.find("\r\n", pos);
    if (end == std::string::npos) {
      messages.push_back("<bad line> no CR LF: " + log.substr(pos));
      break;
    }
    const std::string line = log.substr(pos, end - pos);
    messages.push_back(HasStamp(line) ? line.substr(23) : "<bad line> " + line);
    pos = end + 2;
  }
  return messages;
}

Lines StartLines(const std::string& argumentText, const Lines& more) {
  Lines lines{"***** QOR Start *****", "Parameter:  " + argumentText};
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

std::string SaveFailureLine(const std::string& name, const std::string& numberAndText) {
  return name + " kann nicht gespeichert werden. Fehler " + numberAndText;
}

std::string AppendFailureLine(const std::string& name, const std::string& numberAndText) {
  return name +
         "  konnte nicht ge\366"
         "ffnet werden.  Fehler " +
         numberAndText;
}

Lines RunLines(const TempDir& dir, const Lines& more) { return StartLines(dir / "job.qor", more); }

RunResult RunJob(const TempDir& dir, const std::string& job, DWORD timeoutMs) {
  const std::string path = dir / "job.qor";
  if (!WriteFileBytes(path, job)) return RunResult();
  return RunQor(path, timeoutMs);
}

AddressSpaceSqueeze::AddressSpaceSqueeze(size_t leftBytes) {
  reserved_.reserve(1 << 16);  // no allocation while the space is taken
  // The room that stays is kept aside while everything else is taken, in
  // ever smaller pieces; asking without an address lets the system hand out
  // the areas it keeps for itself as well.
  void* left = VirtualAlloc(nullptr, leftBytes, MEM_RESERVE, PAGE_NOACCESS);
  for (size_t piece = size_t{1} << 30; piece >= (size_t{64} << 10); piece /= 2) {
    while (reserved_.size() < reserved_.capacity()) {
      void* p = VirtualAlloc(nullptr, piece, MEM_RESERVE, PAGE_NOACCESS);
      if (p == nullptr) break;
      reserved_.push_back(p);
      reservedBytes_ += piece;
    }
  }
  if (left != nullptr) VirtualFree(left, 0, MEM_RELEASE);
}

AddressSpaceSqueeze::~AddressSpaceSqueeze() {
  for (void* p : reserved_) VirtualFree(p, 0, MEM_RELEASE);
}

std::string QorcheckReport(const TempDir& dir, const std::string& argumentText, RunResult* run,
                           DWORD timeoutMs) {
  const std::string reportPath = dir / "bericht.txt";
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE report = CreateFileA(reportPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                              CREATE_ALWAYS, 0, nullptr);
  if (report == INVALID_HANDLE_VALUE) return "<no report file>";
  const RunResult ended =
      RunCommandLine("\"" + BinDir() + "\\qorcheck.exe\" " + argumentText, timeoutMs, report);
  CloseHandle(report);
  if (run != nullptr) *run = ended;
  std::string bytes;
  if (!ended.finished || !ReadFileBytes(reportPath, bytes)) return "<no report>";
  return bytes;
}

}  // namespace e2e
