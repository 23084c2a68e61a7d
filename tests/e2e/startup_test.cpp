// Start-up of the real qor.exe: argument text, trace switch, trace log.
#include <gtest/gtest.h>

#include <thread>

#include "qor_e2e.h"

using namespace e2e;

namespace {

const char kEmptyArgument[] = "Parameterliste ist leer! Der Aufruf soll lauten: qor.exe Dateiname";

// What qor.exe traces for the text behind its own path on its command line.
TEST(Startup, ArgumentTextAndJobFileGiveTheseLines) {
  TempDir dir;
  const std::string missing = dir / "fehlt.qor";
  const std::string empty = dir / "leer.qor";
  const std::string job = dir / "mein auftrag.qor";
  const std::string quoted = "\"" + job + "\"";
  ASSERT_TRUE(WriteFileBytes(empty, ""));
  ASSERT_TRUE(WriteFileBytes(job, "kein Block hier"));
  const std::string qor = "\"" + QorExe() + "\"";
  const struct {
    const char* name;
    std::string commandLine;
    Lines lines;
  } cases[] = {
      {"no argument", qor, StartLines("", {kEmptyArgument})},
      {"blanks only", qor + "    ", StartLines("", {kEmptyArgument})},
      {"missing job file", qor + " " + missing,
       StartLines(missing, {missing + " nicht vorhanden"})},
      {"zero-byte job file", qor + " " + empty, StartLines(empty, {empty + " nicht vorhanden"})},
      // Read whole; no header, so the run ends without a further line.
      {"path with a blank", qor + " " + job, StartLines(job)},
      {"the same quoted", qor + " " + quoted, StartLines(quoted, {quoted + " nicht vorhanden"})},
      {"separating blanks dropped, trailing ones kept", qor + "    " + missing + "  ",
       StartLines(missing + "  ", {missing + "   nicht vorhanden"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetTrace(Trace::On);
    ASSERT_TRUE(RunCommandLine(c.commandLine).finished);
    EXPECT_EQ(TraceMessages(), c.lines);
  }
}

TEST(Startup, TraceSwitchAbsentOrEmptyWritesNothing) {
  TempDir dir;
  for (Trace mode : {Trace::Off, Trace::ZeroBytes}) {
    SetTrace(mode);
    ASSERT_TRUE(RunQor(dir / "fehlt.qor").finished);
    EXPECT_FALSE(FileExists(kTraceLog)) << "mode " << static_cast<int>(mode);
  }
  SetTrace(Trace::Off);
}

// The job file is closed once it is read: the application can write its next
// job under the same name while a run still waits (here for the turn of an
// append, held by "another run"), and the run delivers what it read.
TEST(Startup, JobFileIsFreeOnceReadAndLaterChangesDoNotReachTheRun) {
  TempDir dir;
  const std::string target = dir / "liste.txt";
  const std::string job = dir / "job.qor";
  ASSERT_TRUE(WriteFileBytes(target, "alt"));
  ASSERT_TRUE(
      WriteFileBytes(job, FileBlock(dir / "eins.txt", "eins") + FileBlock(target, "+neu", true)));
  HANDLE turn = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_TRUE(LockFile(turn, 0, 0x40000000, 1, 0)) << "the append's turn byte";
  RunResult run;
  std::thread runner([&] { run = RunQor(job); });
  const bool firstDelivered = WaitFor([&] { return FileExists(dir / "eins.txt"); }, 20000);
  const bool rewritten = WriteFileBytes(job, FileBlock(target, "+anders", true));
  UnlockFile(turn, 0, 0x40000000, 1, 0);
  CloseHandle(turn);
  runner.join();
  EXPECT_TRUE(firstDelivered);
  EXPECT_TRUE(rewritten) << "the job file is still held";
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(Content(target), "alt+neu");
}

TEST(TraceLog, LinesCarryTheLocalDateAndTime) {
  SetTrace(Trace::On);
  SYSTEMTIME before;
  GetLocalTime(&before);
  ASSERT_TRUE(RunQor("").finished);
  SYSTEMTIME after;
  GetLocalTime(&after);
  std::string log;
  ASSERT_TRUE(ReadFileBytes(kTraceLog, log));
  char stamp[2][32];
  for (int i = 0; i < 2; ++i) {
    const SYSTEMTIME& t = i == 0 ? before : after;
    std::snprintf(stamp[i], sizeof stamp[i], "%02u.%02u.%04u %02u:%02u -QOR- ", t.wDay, t.wMonth,
                  t.wYear, t.wHour, t.wMinute);
  }
  const std::string first = log.substr(0, 23);
  EXPECT_TRUE(first == stamp[0] || first == stamp[1]) << first;
  EXPECT_EQ(log.substr(23, 23), "***** QOR Start *****\r\n");
}

TEST(TraceLog, IsAppendedAcrossRunsAndCreatedWhenMissing) {
  SetTrace(Trace::On);
  ASSERT_FALSE(FileExists(kTraceLog));
  ASSERT_TRUE(RunQor("").finished);
  ASSERT_TRUE(RunQor("").finished);
  EXPECT_EQ(TraceMessages().size(), 6u);
}

TEST(TraceLog, OverlappingRunsInterleaveWholeLines) {
  SetTrace(Trace::On);
  constexpr int kRuns = 8;
  std::vector<std::thread> runs;
  for (int i = 0; i < kRuns; ++i) {
    runs.emplace_back([] { RunQor("   "); });
  }
  for (auto& t : runs) t.join();
  const Lines messages = TraceMessages();
  EXPECT_EQ(messages.size(), 3u * kRuns);
  for (const std::string& m : messages) {
    EXPECT_TRUE(m == "***** QOR Start *****" || m == "Parameter:  " || m == kEmptyArgument) << m;
  }
}

TEST(TraceLog, LogHeldBrieflyByAnotherProgramLosesNoLine) {
  SetTrace(Trace::On);
  HANDLE held = CreateFileA(kTraceLog, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread release([held] {
    Sleep(150);
    CloseHandle(held);
  });
  ASSERT_TRUE(RunQor("").finished);
  release.join();
  EXPECT_EQ(TraceMessages().size(), 3u);
}

}  // namespace
