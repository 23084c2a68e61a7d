// Faults around a run: what qor.exe delivers must not depend on them, and a
// failing block must not keep the next one from being delivered.
#include <gtest/gtest.h>

#include "clipboard.h"
#include "qor_e2e.h"

using e2e::TempDir;
using e2e::Trace;

namespace {

std::string Contents(const std::string& path) {
  std::string bytes;
  return e2e::ReadFileBytes(path, bytes) ? bytes : "<missing>";
}

TEST(Faults, TraceLogThatCannotBeOpenedChangesNoDelivery) {
  const std::string payloadA = "\r\nerste Zeile \xE4\xF6\xFC\r\n";
  const std::string payloadB("zweite\x00Zeile\xFF", 13);
  std::string results[2];
  for (int logUsable = 0; logUsable < 2; ++logUsable) {
    TempDir dir;
    e2e::SetTrace(Trace::On);
    if (!logUsable) {
      ASSERT_TRUE(CreateDirectoryA(e2e::kTraceLog, nullptr));
    }
    const std::string job = e2e::FileBlock(dir / "a.txt", payloadA) +
                            e2e::FileBlock(dir / "a.txt", payloadB, true) +
                            e2e::FileBlock(dir / "fehlt\\x\\" , "nie") +
                            e2e::FileBlock(dir / "b.txt", payloadB);
    const e2e::RunResult run = e2e::RunJob(dir, job);
    if (!logUsable) RemoveDirectoryA(e2e::kTraceLog);
    ASSERT_TRUE(run.finished);
    results[logUsable] = Contents(dir / "a.txt") + "|" + Contents(dir / "b.txt");
  }
  EXPECT_EQ(results[0], results[1]);
  EXPECT_EQ(results[1], payloadA + payloadB + "|" + payloadB);
}

TEST(Faults, DirectoryThatCannotBeCreatedFailsOnlyItsBlock) {
  TempDir dir;
  const std::string blocker = dir / "datei.txt";
  ASSERT_TRUE(e2e::WriteFileBytes(blocker, "im Weg"));
  const std::string target = blocker + "\\unter\\f.txt";
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunJob(dir, e2e::FileBlock(target, "x") +
                                   e2e::FileBlock(dir / "danach.txt", "weiter")).finished);
  EXPECT_EQ(Contents(blocker), "im Weg");
  EXPECT_EQ(Contents(dir / "danach.txt"), "weiter");
  const std::vector<std::string> lines = e2e::TraceMessages();
  ASSERT_EQ(lines.size(), 3u);
  const std::string prefix = target + " kann nicht gespeichert werden. Fehler  ";
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
  bool written = write(e2e::Header("Ziel=Zwischenablage*\r\nAnhaengen=Ja*") + "(((DATASTART)))<");
  const std::string megabyte(1 << 20, 'x');
  for (int i = 0; i < 1000 && written; ++i) written = write(megabyte);
  written = written && write(">(((DATAEND)))\r\n" + e2e::FileBlock(dir / "danach.txt", "weiter"));
  CloseHandle(file);
  ASSERT_TRUE(written);
  ASSERT_TRUE(e2e::PutBitmapAndText("vorher"));
  e2e::SetTrace(Trace::Off);
  const e2e::RunResult run = e2e::RunQor(job, 300000);
  DeleteFileA(job.c_str());
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u) << "ended normally";
  EXPECT_EQ(Contents(dir / "danach.txt"), "weiter");
  std::string text;
  EXPECT_TRUE(e2e::ClipboardText(text));
  EXPECT_EQ(text, "vorher");
}

}  // namespace
