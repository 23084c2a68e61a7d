// Start-up of the real qor.exe: argument text, trace switch, trace log.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <numeric>
#include <optional>
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
  HeldTurn turn(target);
  ASSERT_TRUE(turn.held()) << "the append's turn";
  RunResult run;
  std::thread runner([&] { run = RunQor(job); });
  const bool firstDelivered = WaitFor([&] { return FileExists(dir / "eins.txt"); }, 20000);
  const bool rewritten = WriteFileBytes(job, FileBlock(target, "+anders", true));
  turn.release();
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

// Several programs start one run after another, all at once, each run with a
// line per block: every line of every run is in the log once and whole.
TEST(TraceLog, OverlappingRunsLoseNoLine) {
  constexpr int kStreams = 4;
  constexpr int kRunsEach = 20;
  constexpr int kBlocks = 20;
  TempDir dir;
  // A directory named with forward slashes is never created, so each block
  // fails with a line naming its own file.
  std::string missing = dir.path() + "/fehlt/";
  std::replace(missing.begin(), missing.end(), '\\', '/');
  std::vector<Lines> jobs(kStreams);
  std::map<std::string, int> runOf;  // each line but the start line, with its run
  Lines expected;
  for (int stream = 0; stream < kStreams; ++stream) {
    for (int run = 0; run < kRunsEach; ++run) {
      const std::string name = "s" + std::to_string(stream) + "r" + std::to_string(run);
      const std::string path = dir / name + ".qor";
      std::string job;
      Lines lines = StartLines(path);
      for (int block = 0; block < kBlocks; ++block) {
        const std::string target = missing + name + "b" + std::to_string(block) + ".txt";
        job += FileBlock(target, "x");
        lines.push_back(SaveFailureLine(target, " 76 Pfad nicht gefunden"));
      }
      ASSERT_TRUE(WriteFileBytes(path, job));
      jobs[stream].push_back(path);
      for (size_t i = 1; i < lines.size(); ++i) runOf[lines[i]] = stream * kRunsEach + run;
      expected.insert(expected.end(), lines.begin(), lines.end());
    }
  }
  SetTrace(Trace::On);
  std::vector<std::thread> streams;
  std::vector<int> badRuns(kStreams, 0);
  for (int stream = 0; stream < kStreams; ++stream) {
    streams.emplace_back([&, stream] {
      for (const std::string& job : jobs[stream]) {
        const RunResult run = RunQor(job);
        if (!run.finished || run.exitCode != 0) ++badRuns[stream];
      }
    });
  }
  for (std::thread& t : streams) t.join();
  EXPECT_EQ(std::accumulate(badRuns.begin(), badRuns.end(), 0), 0) << "runs that did not end well";

  Lines found = TraceMessages();
  int switches = 0;  // from one run's line to another's
  int last = -1;
  for (const std::string& line : found) {
    const auto run = runOf.find(line);
    if (run == runOf.end()) continue;
    if (last >= 0 && run->second != last) ++switches;
    last = run->second;
  }
  std::sort(expected.begin(), expected.end());
  std::sort(found.begin(), found.end());
  Lines lost, unexpected;
  std::set_difference(expected.begin(), expected.end(), found.begin(), found.end(),
                      std::back_inserter(lost));
  std::set_difference(found.begin(), found.end(), expected.begin(), expected.end(),
                      std::back_inserter(unexpected));
  EXPECT_TRUE(lost.empty()) << lost.size() << " of " << expected.size()
                            << " lines lost; the first: " << lost.front();
  EXPECT_TRUE(unexpected.empty()) << unexpected.size()
                                  << " lines not written by the runs; the first: "
                                  << unexpected.front();
  EXPECT_GT(switches, kStreams * kRunsEach - 1) << "the runs did not overlap";
}

// Another program that holds the log or the runs' turn for a moment costs no
// line; one that keeps the turn costs the lines written meanwhile, each after
// a bounded wait, and the run goes on.
TEST(TraceLog, LogHeldByAnotherProgram) {
  const struct {
    const char* name;
    bool turn;             // else the log is held open without sharing
    DWORD releaseAfterMs;  // 0: after the run
    size_t lines;
  } cases[] = {
      {"log opened without sharing, briefly", false, 150, 3},
      {"turn taken, briefly", true, 150, 3},
      {"turn kept for the whole run", true, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetTrace(Trace::On);
    std::optional<HeldTurn> turn;
    HANDLE log = INVALID_HANDLE_VALUE;
    if (c.turn) {
      turn.emplace(kTraceLog, HeldTurn::kFar, CREATE_ALWAYS);
      ASSERT_TRUE(turn->held());
    } else {
      log = CreateFileA(kTraceLog, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      ASSERT_NE(log, INVALID_HANDLE_VALUE);
    }
    const auto release = [&] {
      if (turn) turn->release();
      if (log != INVALID_HANDLE_VALUE) CloseHandle(log);
      log = INVALID_HANDLE_VALUE;
    };
    std::thread releaser([&] {
      if (c.releaseAfterMs == 0) return;
      Sleep(c.releaseAfterMs);
      release();
    });
    const RunResult run = RunQor("");
    releaser.join();
    release();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(TraceMessages().size(), c.lines);
  }
}

}  // namespace
