#include "dde_test_server.h"

#include <algorithm>

namespace e2e {

namespace {

bool Holds(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

const char kDataSent[] =
    "DDE-\334"
    "bertragung: Daten gesendet!";

std::string FailureLine(const std::string& numberAndDescription) {
  return "Fehler bei der DDE-\334"
         "bertragung. Fehler " +
         numberAndDescription;
}

std::string TestServer::ExePath() { return BinDir() + "\\qor_dde_test_server.exe"; }

TestServer::TestServer(const TempDir& dir, const std::string& service, const std::string& topic,
                       const std::string& options)
    : log_(dir / ("server-" + service + ".log")) {
  DeleteFileA(log_.c_str());
  if (!StartProcess("\"" + ExePath() + "\" --service \"" + service + "\" --topic \"" + topic +
                        "\" --log \"" + log_ + "\" " + options,
                    process_)) {
    return;
  }
  const auto ended = [this] { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; };
  WaitFor([&] { return ended() || Holds(AllLines(), "ready"); }, 15000);
  ready_ = !ended() && Holds(AllLines(), "ready");
}

TestServer::~TestServer() {
  if (process_.hProcess == nullptr) return;
  PostThreadMessageA(process_.dwThreadId, WM_QUIT, 0, 0);
  if (!WaitPumping(process_.hProcess, 5000)) Kill();
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

void TestServer::Kill() {
  TerminateProcess(process_.hProcess, 9);
  WaitForSingleObject(process_.hProcess, 5000);
}

Lines TestServer::AllLines() const {
  Lines lines;
  std::string text;
  if (!ReadFileBytes(log_, text)) return lines;
  size_t pos = 0;
  for (size_t end; (end = text.find('\n', pos)) != std::string::npos; pos = end + 1) {
    lines.push_back(text.substr(pos, end - pos));
  }
  return lines;
}

Lines TestServer::Records() const {
  Lines records = AllLines();
  records.erase(
      std::remove_if(records.begin(), records.end(),
                     [](const std::string& line) { return line == "ready" || line == "idle"; }),
      records.end());
  return records;
}

bool TestServer::WaitForRecords(const Lines& expected, DWORD timeoutMs) const {
  return WaitFor([&] { return Records() == expected; }, timeoutMs);
}

bool TestServer::WaitForRecord(const std::string& line, DWORD timeoutMs) const {
  return WaitFor([&] { return Holds(Records(), line); }, timeoutMs);
}

bool TestServer::WaitUntilIdle(DWORD timeoutMs) const {
  return WaitFor(
      [&] {
        const Lines lines = AllLines();
        return !lines.empty() && lines.back() == "idle";
      },
      timeoutMs);
}

}  // namespace e2e
