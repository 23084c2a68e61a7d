#include "qor_e2e.h"

#include <cstdio>
#include <cstring>

namespace e2e {

std::string BinDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of('\\'));
}

std::string QorExe() { return BinDir() + "\\qor.exe"; }

bool WaitPumping(HANDLE process, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= timeoutMs) return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    const DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, timeoutMs - spent, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

namespace {

// A started process and when it was started.
struct Started {
  PROCESS_INFORMATION pi{};
  DWORD start = 0;
  bool ok = false;
};

Started StartIn(const std::string& commandLine, const char* currentDir) {
  Started started;
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof si;
  started.start = GetTickCount();
  started.ok = CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              currentDir, &si, &started.pi) != FALSE;
  return started;
}

// Waits for the process to end within what is left of `timeoutMs` since
// `since`, and ends it when it does not.
RunResult Finish(const Started& started, DWORD since, DWORD timeoutMs) {
  RunResult result;
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

RunResult RunIn(const std::string& commandLine, const char* currentDir, DWORD timeoutMs) {
  const Started started = StartIn(commandLine, currentDir);
  return Finish(started, started.start, timeoutMs);
}

}  // namespace

RunResult RunCommandLine(const std::string& commandLine, DWORD timeoutMs) {
  return RunIn(commandLine, nullptr, timeoutMs);
}

RunResult RunQor(const std::string& argumentText, DWORD timeoutMs) {
  return RunCommandLine("\"" + QorExe() + "\" " + argumentText, timeoutMs);
}

std::vector<RunResult> RunQorAtOnce(const std::vector<std::string>& argumentTexts,
                                    DWORD timeoutMs) {
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

bool ReadFileBytes(const std::string& path, std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) {
    bytes.append(buffer, got);
  }
  CloseHandle(h);
  return ok;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()),
                                              &written, nullptr) &&
                                    written == bytes.size());
  CloseHandle(h);
  return ok;
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
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

std::vector<std::string> TraceMessages() {
  std::vector<std::string> messages;
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

TempDir::TempDir() {
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    char name[64];
    std::snprintf(name, sizeof name, "qor-e2e-%lu-%u", GetCurrentProcessId(), counter++);
    path_ = std::string(base) + name;
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

TempDir::~TempDir() { RemoveTree(path_); }

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  RemoveDirectoryA(path.c_str());
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

std::string Header(const std::string& entries) {
  return "(((HEADERSTART)))\r\n" + entries + "\r\n(((HEADEREND)))\r\n";
}

std::string Data(const std::string& payload) {
  return "(((DATASTART)))" + payload + "(((DATAEND)))\r\n";
}

std::string FileBlock(const std::string& fileName, const std::string& payload, bool append,
                      const std::string& program) {
  std::string entries = "Ziel=Datei*\r\nDateiname=" + fileName + "*\r\n";
  if (append) entries += "Anhaengen=Ja*\r\n";
  if (!program.empty()) entries += "Externer Programmaufruf=" + program + "*\r\n";
  return Header(entries) + Data(payload);
}

std::string ClipboardBlock(const std::string& payload, bool append) {
  return Header(std::string("Ziel=Zwischenablage*\r\n") + (append ? "Anhaengen=Ja*\r\n" : "")) +
         Data(payload);
}

std::string DdeBlock(const std::string& service, const std::string& server,
                     const std::string& topic, const std::string& item,
                     const std::string& payload) {
  return Header("Ziel=DDE*\r\nDDE-Service=" + service + "*\r\nDDE-Server=" + server +
                "*\r\nDDE-Topic=" + topic + "*\r\nDDE-Item=" + item + "*\r\n") +
         Data(payload);
}

std::vector<std::string> RunLines(const TempDir& dir, const std::vector<std::string>& more) {
  std::vector<std::string> lines{"***** QOR Start *****", "Parameter:  " + (dir / "job.qor")};
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

RunResult RunJob(const TempDir& dir, const std::string& job, DWORD timeoutMs) {
  const std::string path = dir / "job.qor";
  if (!WriteFileBytes(path, job)) return RunResult();
  return RunQor(path, timeoutMs);
}

}  // namespace e2e
