// The external program of a file block, started by the real qor.exe: after
// the write, with the command line as given, without waiting, and traced.
#include <gtest/gtest.h>

#include <cstdlib>

#include "qor_e2e.h"
#include "recorder_records.h"
#include "wait_for.h"

using e2e::FileBlock;
using e2e::RunLines;
using e2e::TempDir;
using e2e::Trace;
using Lines = std::vector<std::string>;

namespace {

std::string Record(const std::string& command, const std::string& cwd,
                   const std::string& target) {
  return "cmdline=" + command + "\r\nshow=1,1\r\ncwd=" + cwd + "\r\ntarget=" + target;
}

TEST(ExternalProgram, StartsAfterTheWriteWithTheCommandLineAsGiven) {
  TempDir dir;
  const std::string records = dir / "rec";
  ASSERT_TRUE(CreateDirectoryA(records.c_str(), nullptr));
  const std::string target = dir / "liste.txt";
  const std::string payload = "fertig geschrieben\r\n\xE4\xF6\xFC";
  const std::string command = "\"" + Recorder() + "\"  " + records + " " + target;
  ASSERT_TRUE(e2e::WriteFileBytes(dir / "job.qor", FileBlock(target, payload, false, command)));
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunQorIn(records, dir / "job.qor").finished);

  const std::vector<std::string> seen = WaitForRecords(records, 1);
  ASSERT_EQ(seen.size(), 1u);
  // Shown normally, in qor.exe's current directory, after the whole payload
  // was in the file.
  EXPECT_EQ(seen[0], Record(command, records, payload));
  EXPECT_EQ(e2e::TraceMessages(), RunLines(dir, {"Externer Programmaufruf " + command}));
}

TEST(ExternalProgram, TwoBlocksStartTheSameCommandTwice) {
  TempDir dir;
  const std::string target = dir / "t.txt";
  const std::string command = Recorder() + " " + dir.path();
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunJob(dir, FileBlock(target, "A", false, command) +
                                   FileBlock(target, "B", true, command))
                  .finished);
  const std::vector<std::string> seen = WaitForRecords(dir.path(), 2);
  ASSERT_EQ(seen.size(), 2u);
  for (const std::string& record : seen) {
    EXPECT_EQ(record.rfind("cmdline=" + command + "\r\n", 0), 0u) << record;
  }
  EXPECT_EQ(e2e::TraceMessages(), RunLines(dir, {"Externer Programmaufruf " + command,
                                                 "Externer Programmaufruf " + command}));
}

TEST(ExternalProgram, MissingProgramGivesTwoLinesAndTheJobGoesOn) {
  TempDir dir;
  const std::string command = dir / "fehlt.exe eins zwei";
  const std::string next = dir / "danach.txt";
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunJob(dir, FileBlock(dir / "t.txt", "x", false, command) +
                                   FileBlock(next, "weiter"))
                  .finished);
  EXPECT_EQ(e2e::TraceMessages(),
            RunLines(dir, {"Externer Programmaufruf " + command,
                           "Externer Programmaufruf " + command + " Fehler:  2"}));
  std::string bytes;
  ASSERT_TRUE(e2e::ReadFileBytes(next, bytes));
  EXPECT_EQ(bytes, "weiter");
}

TEST(ExternalProgram, IsStartedAlsoWhenTheWriteFailed) {
  TempDir dir;
  const std::string sub = dir / "ordner";
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  const std::string command = Recorder() + " " + dir.path();
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunJob(dir, FileBlock(sub, "x", false, command)).finished);
  const std::vector<std::string> seen = WaitForRecords(dir.path(), 1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(e2e::TraceMessages(),
            RunLines(dir, {sub + " kann nicht gespeichert werden. Fehler  75 Fehler beim "
                                 "Zugriff auf Pfad/Datei",
                           "Externer Programmaufruf " + command}));
}

TEST(ExternalProgram, NothingIsStartedForAnEmptyOrBlankValue) {
  TempDir dir;
  const std::string target = dir / "t.txt";
  const std::string entries = "Ziel=Datei*\r\nDateiname=" + target + "*\r\n";
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunJob(dir, e2e::Header(entries + "Externer Programmaufruf=*") +
                                   e2e::Data("a") +
                                   e2e::Header(entries + "Externer Programmaufruf=   *") +
                                   e2e::Data("b"))
                  .finished);
  EXPECT_EQ(e2e::TraceMessages(), RunLines(dir));
}

TEST(ExternalProgram, WithTracingOffAFailedStartLeavesNoTrace) {
  TempDir dir;
  const std::string recorded = Recorder() + " " + dir.path();
  e2e::SetTrace(Trace::Off);
  ASSERT_TRUE(e2e::RunJob(dir, FileBlock(dir / "t.txt", "x", false, dir / "fehlt.exe") +
                                   FileBlock(dir / "t.txt", "y", false, recorded))
                  .finished);
  EXPECT_EQ(WaitForRecords(dir.path(), 1).size(), 1u) << "the following block still starts";
  EXPECT_FALSE(e2e::FileExists(e2e::kTraceLog));
}

// qor.exe hands the program over and ends; the program runs on. It is ended
// here through its stop file, and by its own process id only if that fails.
TEST(ExternalProgram, QorEndsWithoutWaitingForALongRunningProgram) {
  TempDir dir;
  const std::string pidFile = dir / "pid.txt";
  const std::string stopFile = dir / "stop";
  const std::string command =
      e2e::BinDir() + "\\qor_longrun.exe " + pidFile + " " + stopFile;
  e2e::SetTrace(Trace::On);
  // The program would run for two minutes unless stopped; qor.exe must be
  // done long before.
  ASSERT_TRUE(e2e::RunJob(dir, FileBlock(dir / "t.txt", "x", false, command), 30000).finished);

  std::string pidText;
  ASSERT_TRUE(WaitFor([&] { return e2e::ReadFileBytes(pidFile, pidText); }, kStartBoundMs));
  const DWORD pid = std::strtoul(pidText.c_str(), nullptr, 10);
  HANDLE program = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(WaitForSingleObject(program, 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "still running after qor.exe ended";

  ASSERT_TRUE(e2e::WriteFileBytes(stopFile, ""));
  if (WaitForSingleObject(program, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(program, 1);
    WaitForSingleObject(program, 10000);
    ADD_FAILURE() << "the long-running program did not stop";
  }
  CloseHandle(program);
  EXPECT_EQ(e2e::TraceMessages(), RunLines(dir, {"Externer Programmaufruf " + command}));
}

}  // namespace
