// The clipboard and DDE examples of examples/ run as a user runs them: the
// job files as they stand, the demo DDE server where dde.qor expects it.
#include <gtest/gtest.h>

#include "dde_test_support.h"
#include "qor_e2e.h"

using Lines = std::vector<std::string>;

namespace {

// The examples directory as Wine's drive Z: shows the source tree.
std::string ExampleFile(const std::string& name) {
  std::string path = std::string("Z:") + QOR_EXAMPLES_DIR + "/" + name;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// The payloads of a job file, trimmed of blanks as the program trims them.
std::vector<std::string> Payloads(const std::string& job) {
  std::vector<std::string> payloads;
  const std::string start = "(((DATASTART)))";
  const std::string end = "(((DATAEND)))";
  for (size_t at = job.find(start); at != std::string::npos; at = job.find(start, at)) {
    at += start.size();
    std::string payload = job.substr(at, job.find(end, at) - at);
    payload.erase(0, payload.find_first_not_of(' '));
    payload.erase(payload.find_last_not_of(' ') + 1);
    payloads.push_back(payload);
  }
  return payloads;
}

TEST(Examples, ClipboardJobLeavesItsLastTextOnTheClipboard) {
  const std::string job = ExampleFile("zwischenablage.qor");
  std::string text;
  ASSERT_TRUE(e2e::ReadFileBytes(job, text)) << job;
  const std::vector<std::string> payloads = Payloads(text);
  ASSERT_EQ(payloads.size(), 2u);
  ASSERT_TRUE(dde_test::PutBitmapAndText("vorher"));
  e2e::SetTrace(e2e::Trace::On);
  ASSERT_TRUE(e2e::RunQor(job).finished);
  std::string clipboard;
  ASSERT_TRUE(dde_test::ClipboardText(clipboard));
  EXPECT_EQ(clipboard, payloads[1]);
  EXPECT_EQ(e2e::TraceMessages(), (Lines{"***** QOR Start *****", "Parameter:  " + job}));
}

TEST(Examples, DdeJobArrivesAtTheDemoServer) {
  const std::string job = ExampleFile("dde.qor");
  std::string text;
  ASSERT_TRUE(e2e::ReadFileBytes(job, text)) << job;
  const std::vector<std::string> payloads = Payloads(text);
  ASSERT_EQ(payloads.size(), 2u);

  // Where dde.qor names the server program.
  const std::string directory = "C:\\qor-beispiel";
  const std::string server = directory + "\\qor_dde_demo.exe";
  const std::string received = directory + "\\dde-empfang.txt";
  CreateDirectoryA(directory.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((e2e::BinDir() + "\\qor_dde_demo.exe").c_str(), server.c_str(), FALSE));
  DeleteFileA(received.c_str());

  std::string commandLine = server;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &si, &pi));
  std::string log;
  EXPECT_TRUE(dde_test::PumpUntil(
      [&] { return e2e::ReadFileBytes(received, log) && log.find("Bereit") != std::string::npos; },
      15000));

  e2e::SetTrace(e2e::Trace::On);
  const e2e::RunResult run = e2e::RunQor(job);
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(e2e::TraceMessages(),
            (Lines{"***** QOR Start *****", "Parameter:  " + job, dde_test::kDataSent,
                   dde_test::kDataSent}));
  EXPECT_TRUE(dde_test::PumpUntil(
      [&] {
        return e2e::ReadFileBytes(received, log) &&
               log.find("\r\n" + payloads[1] + "\r\n") != std::string::npos;
      },
      10000));
  EXPECT_NE(log.find("Poke auf Item \"Titel\""), std::string::npos) << log;
  EXPECT_NE(log.find("\r\n" + payloads[0] + "\r\n"), std::string::npos) << log;

  if (HWND window = FindWindowA("QorDdeDemo", nullptr)) PostMessageA(window, WM_CLOSE, 0, 0);
  if (!e2e::WaitPumping(pi.hProcess, 5000)) TerminateProcess(pi.hProcess, 9);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

}  // namespace
