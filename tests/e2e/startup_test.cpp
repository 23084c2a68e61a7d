// Start-up of the real qor.exe: argument text, trace switch, trace log.
#include <gtest/gtest.h>

#include <thread>

#include "qor_e2e.h"

using e2e::TempDir;
using e2e::Trace;
using Lines = std::vector<std::string>;

namespace {

const char kEmptyArgument[] = "Parameterliste ist leer! Der Aufruf soll lauten: qor.exe Dateiname";

TEST(Startup, NoArgumentWritesStartParameterAndEmptyLine) {
  e2e::SetTrace(Trace::On);
  const e2e::RunResult run = e2e::RunCommandLine("\"" + e2e::QorExe() + "\"");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(e2e::TraceMessages(), (Lines{"***** QOR Start *****", "Parameter:  ", kEmptyArgument}));
}

TEST(Startup, BlanksOnlyArgumentIsEmpty) {
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunQor("   ").finished);
  EXPECT_EQ(e2e::TraceMessages(), (Lines{"***** QOR Start *****", "Parameter:  ", kEmptyArgument}));
}

TEST(Startup, MissingAndZeroByteJobFilesAreNotPresent) {
  TempDir dir;
  e2e::SetTrace(Trace::On);
  const std::string missing = dir / "fehlt.qor";
  ASSERT_TRUE(e2e::RunQor(missing).finished);
  EXPECT_EQ(e2e::TraceMessages(), (Lines{"***** QOR Start *****", "Parameter:  " + missing,
                                         missing + " nicht vorhanden"}));

  e2e::SetTrace(Trace::On);
  const std::string empty = dir / "leer.qor";
  ASSERT_TRUE(e2e::WriteFileBytes(empty, ""));
  ASSERT_TRUE(e2e::RunQor(empty).finished);
  EXPECT_EQ(e2e::TraceMessages(), (Lines{"***** QOR Start *****", "Parameter:  " + empty,
                                         empty + " nicht vorhanden"}));
}

TEST(Startup, PathWithBlankWorksUnquotedAndQuotedIsMissing) {
  TempDir dir;
  const std::string job = dir / "mein auftrag.qor";
  ASSERT_TRUE(e2e::WriteFileBytes(job, "kein Block hier"));

  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunQor(job).finished);
  EXPECT_EQ(e2e::TraceMessages(), (Lines{"***** QOR Start *****", "Parameter:  " + job}))
      << "read whole; no header, so the run ends without a further line";

  e2e::SetTrace(Trace::On);
  const std::string quoted = "\"" + job + "\"";
  ASSERT_TRUE(e2e::RunQor(quoted).finished);
  EXPECT_EQ(e2e::TraceMessages(), (Lines{"***** QOR Start *****", "Parameter:  " + quoted,
                                         quoted + " nicht vorhanden"}));
}

TEST(Startup, SeparatingBlanksAreDroppedTrailingBlanksKept) {
  TempDir dir;
  const std::string missing = dir / "x.qor";
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunCommandLine("\"" + e2e::QorExe() + "\"    " + missing + "  ").finished);
  const Lines messages = e2e::TraceMessages();
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[1], "Parameter:  " + missing + "  ");
}

TEST(Startup, TraceSwitchAbsentOrEmptyWritesNothing) {
  TempDir dir;
  for (Trace mode : {Trace::Off, Trace::ZeroBytes}) {
    e2e::SetTrace(mode);
    ASSERT_TRUE(e2e::RunQor(dir / "fehlt.qor").finished);
    EXPECT_FALSE(e2e::FileExists(e2e::kTraceLog)) << "mode " << static_cast<int>(mode);
  }
  e2e::SetTrace(Trace::Off);
}

TEST(Startup, JobFileTooLargeToAddressGivesReadFailureLines) {
  TempDir dir;
  const std::string job = dir / "riesig.qor";
  // A sparse file of 3 GB: present and non-empty, but beyond what the program
  // can hold and address.
  HANDLE h = CreateFileA(job.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  size.QuadPart = 3LL << 30;
  ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(h));
  CloseHandle(h);
  e2e::SetTrace(Trace::On);
  const e2e::RunResult run = e2e::RunQor(job);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(e2e::TraceMessages(),
            (Lines{"***** QOR Start *****", "Parameter:  " + job,
                   "Fehler beim Lesen der Daten:  7 Nicht gen\xFC" "gend Speicher",
                   "QOR: Daten konnten nicht gelesen werden"}));
}

TEST(TraceLog, LinesCarryTheLocalDateAndTime) {
  e2e::SetTrace(Trace::On);
  SYSTEMTIME before;
  GetLocalTime(&before);
  ASSERT_TRUE(e2e::RunQor("").finished);
  SYSTEMTIME after;
  GetLocalTime(&after);
  std::string log;
  ASSERT_TRUE(e2e::ReadFileBytes(e2e::kTraceLog, log));
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
  e2e::SetTrace(Trace::On);
  ASSERT_FALSE(e2e::FileExists(e2e::kTraceLog));
  ASSERT_TRUE(e2e::RunQor("").finished);
  ASSERT_TRUE(e2e::RunQor("").finished);
  EXPECT_EQ(e2e::TraceMessages().size(), 6u);
}

TEST(TraceLog, OverlappingRunsInterleaveWholeLines) {
  e2e::SetTrace(Trace::On);
  constexpr int kRuns = 8;
  std::vector<std::thread> runs;
  for (int i = 0; i < kRuns; ++i) {
    runs.emplace_back([] { e2e::RunQor("   "); });
  }
  for (auto& t : runs) t.join();
  const Lines messages = e2e::TraceMessages();
  EXPECT_EQ(messages.size(), 3u * kRuns);
  for (const std::string& m : messages) {
    EXPECT_TRUE(m == "***** QOR Start *****" || m == "Parameter:  " || m == kEmptyArgument)
        << m;
  }
}

TEST(TraceLog, LogHeldBrieflyByAnotherProgramLosesNoLine) {
  e2e::SetTrace(Trace::On);
  HANDLE held = CreateFileA(e2e::kTraceLog, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread release([held] {
    Sleep(150);
    CloseHandle(held);
  });
  ASSERT_TRUE(e2e::RunQor("").finished);
  release.join();
  EXPECT_EQ(e2e::TraceMessages().size(), 3u);
}

TEST(TraceLog, LogThatCannotBeOpenedLosesLinesSilently) {
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(CreateDirectoryA(e2e::kTraceLog, nullptr));
  const e2e::RunResult run = e2e::RunQor("");
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(e2e::DirectoryExists(e2e::kTraceLog));
  RemoveDirectoryA(e2e::kTraceLog);
}

}  // namespace
