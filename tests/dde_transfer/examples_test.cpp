// The clipboard and DDE examples of examples/ run as a user runs them: the
// job files as they stand, the demo DDE server where dde.qor expects it.
#include <gtest/gtest.h>

#include <algorithm>

#include "clipboard.h"
#include "dde_test_server.h"
#include "qor_e2e.h"

using namespace e2e;

namespace {

// The examples directory as Wine's drive Z: shows the source tree.
std::string ExampleFile(const std::string& name) {
  std::string path = std::string("Z:") + QOR_EXAMPLES_DIR + "/" + name;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// The payloads of a job file, trimmed of blanks as the program trims them.
Lines Payloads(const std::string& jobPath) {
  Lines payloads;
  const std::string job = Content(jobPath);
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
  const Lines payloads = Payloads(job);
  ASSERT_EQ(payloads.size(), 2u) << job;
  ASSERT_TRUE(PutBitmapAndText("vorher"));
  SetTrace(Trace::On);
  ASSERT_TRUE(RunQor(job).finished);
  std::string clipboard;
  ASSERT_TRUE(ClipboardText(clipboard));
  EXPECT_EQ(clipboard, payloads[1]);
  EXPECT_EQ(TraceMessages(), StartLines(job));
}

TEST(Examples, DdeJobArrivesAtTheDemoServer) {
  const std::string job = ExampleFile("dde.qor");
  const Lines payloads = Payloads(job);
  ASSERT_EQ(payloads.size(), 2u) << job;

  // Where dde.qor names the server program.
  const std::string directory = "C:\\qor-beispiel";
  const std::string server = directory + "\\qor_dde_demo.exe";
  const std::string received = directory + "\\dde-empfang.txt";
  CreateDirectoryA(directory.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((BinDir() + "\\qor_dde_demo.exe").c_str(), server.c_str(), FALSE));
  DeleteFileA(received.c_str());

  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(StartProcess(server, pi));
  EXPECT_TRUE(
      WaitFor([&] { return Content(received).find("Bereit") != std::string::npos; }, 15000));

  SetTrace(Trace::On);
  EXPECT_TRUE(RunQor(job).finished);
  EXPECT_EQ(TraceMessages(), StartLines(job, {kDataSent, kDataSent}));
  const auto arrived = [&](const std::string& payload) {
    return Content(received).find("\r\n" + payload + "\r\n") != std::string::npos;
  };
  EXPECT_TRUE(WaitFor([&] { return arrived(payloads[1]); }, 10000));
  EXPECT_TRUE(arrived(payloads[0])) << Content(received);
  EXPECT_NE(Content(received).find("Poke auf Item \"Titel\""), std::string::npos);

  if (HWND window = FindWindowA("QorDdeDemo", nullptr)) PostMessageA(window, WM_CLOSE, 0, 0);
  if (!WaitPumping(pi.hProcess, 5000)) TerminateProcess(pi.hProcess, 9);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

}  // namespace
