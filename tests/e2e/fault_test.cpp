// Faults around a run: what qor.exe delivers must not depend on them, and a
// failing block must not keep the next one from being delivered.
#include <gtest/gtest.h>

#include "clipboard.h"
#include "qor_e2e.h"

using namespace e2e;

namespace {

// A trace log that cannot be opened (a directory stands in its place) loses
// its lines silently: the run ends normally and delivers what it delivers
// with a usable log.
TEST(Faults, TraceLogThatCannotBeOpenedChangesNoDelivery) {
  const std::string payloadA = "\r\nerste Zeile \344\366\374\r\n";
  const std::string payloadB("zweite\x00Zeile\xFF", 13);
  std::string results[2];
  for (int logUsable = 0; logUsable < 2; ++logUsable) {
    TempDir dir;
    SetTrace(Trace::On);
    if (!logUsable) {
      ASSERT_TRUE(CreateDirectoryA(kTraceLog, nullptr));
    }
    const std::string job =
        FileBlock(dir / "a.txt", payloadA) + FileBlock(dir / "a.txt", payloadB, true) +
        FileBlock(dir / "fehlt\\x\\", "nie") + FileBlock(dir / "b.txt", payloadB);
    const RunResult run = RunJob(dir, job);
    if (!logUsable) {
      EXPECT_TRUE(RemoveDirectoryA(kTraceLog)) << "the directory in the log's place is changed";
    }
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    results[logUsable] = Content(dir / "a.txt") + "|" + Content(dir / "b.txt");
  }
  EXPECT_EQ(results[0], results[1]);
  EXPECT_EQ(results[1], payloadA + payloadB + "|" + payloadB);
}

TEST(Faults, DirectoryThatCannotBeCreatedFailsOnlyItsBlock) {
  TempDir dir;
  const std::string blocker = dir / "datei.txt";
  ASSERT_TRUE(WriteFileBytes(blocker, "im Weg"));
  const std::string target = blocker + "\\unter\\f.txt";
  SetTrace(Trace::On);
  const std::string job = FileBlock(target, "x") + FileBlock(dir / "danach.txt", "weiter");
  ASSERT_TRUE(RunJob(dir, job).finished);
  EXPECT_EQ(Content(blocker), "im Weg");
  EXPECT_EQ(Content(dir / "danach.txt"), "weiter");
  const Lines lines = TraceMessages();
  ASSERT_EQ(lines.size(), 3u);
  const std::string prefix = SaveFailureLine(target, " ");
  EXPECT_EQ(lines[2].substr(0, prefix.size()), prefix) << lines[2];
}

// A job that does not fit a 32-bit process: the clipboard needs the 1000 MB
// payload again as text and twice over in Unicode beside the job itself. The
// block is abandoned before the clipboard is touched, and the next block is
// delivered.
TEST(Faults, ClipboardBlockThatDoesNotFitAbandonsOnlyItself) {
#ifdef _WIN64
  GTEST_SKIP() << "the job fits a 64-bit process";
#endif
  TempDir dir;
  const std::string job = dir / "job.qor";
  HANDLE file = CreateFileA(job.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const auto write = [&](const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
  };
  bool written = write(Header("Ziel=Zwischenablage*\r\nAnhaengen=Ja*") + "(((DATASTART)))<");
  const std::string megabyte(1 << 20, 'x');
  for (int i = 0; i < 1000 && written; ++i) written = write(megabyte);
  written = written && write(">(((DATAEND)))\r\n" + FileBlock(dir / "danach.txt", "weiter"));
  CloseHandle(file);
  ASSERT_TRUE(written);
  ASSERT_TRUE(PutBitmapAndText("vorher"));
  SetTrace(Trace::Off);
  const RunResult run = RunQor(job, 300000);
  DeleteFileA(job.c_str());
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u) << "ended normally";
  EXPECT_EQ(Content(dir / "danach.txt"), "weiter");
  std::string text;
  EXPECT_TRUE(ClipboardText(text));
  EXPECT_EQ(text, "vorher");
}

}  // namespace
