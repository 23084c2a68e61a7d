// The external program of a file block, started by the real qor.exe: after
// the write, with the command line as given, without waiting, and traced.
// The program is a copy of the stand-in, which records its start.
#include <gtest/gtest.h>

#include "qor_e2e.h"
#include "stand_in.h"

using namespace e2e;

namespace {

std::string CallLine(const std::string& command) { return "Externer Programmaufruf " + command; }

class ExternalProgram : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(program_.placed());
    SetTrace(Trace::On);
  }
  TempDir dir_;
  const StandIn program_{dir_ / UniqueName("programm")};
};

TEST_F(ExternalProgram, StartsAfterTheWriteWithTheCommandLineAsGiven) {
  const std::string cwd = dir_ / "hier";
  ASSERT_TRUE(CreateDirectoryA(cwd.c_str(), nullptr));
  const std::string target = dir_ / "liste.txt";
  const std::string payload = "fertig geschrieben\r\n\344\366\374";
  const std::string command = "\"" + program_.path() + "\"  " + target;
  ASSERT_TRUE(WriteFileBytes(dir_ / "job.qor", FileBlock(target, payload, false, command)));
  ASSERT_TRUE(RunQorIn(cwd, dir_ / "job.qor").finished);
  const Lines records = StartRecords(program_.path(), 1);
  ASSERT_EQ(records.size(), 1u);
  // Shown normally, in qor.exe's current directory, after the whole payload
  // was in the file.
  EXPECT_EQ(records[0],
            "command line=" + command + "\r\nshow=1,1\r\ncwd=" + cwd + "\r\nfile=" + payload);
  EXPECT_EQ(TraceMessages(), RunLines(dir_, {CallLine(command)}));
}

TEST_F(ExternalProgram, TwoBlocksStartTheSameCommandTwice) {
  const std::string target = dir_ / "t.txt";
  const std::string command = program_.path();
  ASSERT_TRUE(
      RunJob(dir_, FileBlock(target, "A", false, command) + FileBlock(target, "B", true, command))
          .finished);
  const Lines records = StartRecords(program_.path(), 2);
  ASSERT_EQ(records.size(), 2u);
  for (const std::string& record : records) {
    EXPECT_EQ(record.rfind("command line=" + command + "\r\n", 0), 0u) << record;
  }
  EXPECT_EQ(TraceMessages(), RunLines(dir_, {CallLine(command), CallLine(command)}));
}

TEST_F(ExternalProgram, MissingProgramGivesTwoLinesAndTheJobGoesOn) {
  const std::string command = dir_ / "fehlt.exe eins zwei";
  const std::string next = dir_ / "danach.txt";
  ASSERT_TRUE(
      RunJob(dir_, FileBlock(dir_ / "t.txt", "x", false, command) + FileBlock(next, "weiter"))
          .finished);
  EXPECT_EQ(TraceMessages(),
            RunLines(dir_, {CallLine(command), CallLine(command) + " Fehler:  2"}));
  EXPECT_EQ(Content(next), "weiter");
}

TEST_F(ExternalProgram, IsStartedAlsoWhenTheWriteFailed) {
  const std::string sub = dir_ / "ordner";
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(RunJob(dir_, FileBlock(sub, "x", false, program_.path())).finished);
  EXPECT_EQ(StartRecords(program_.path(), 1).size(), 1u);
  EXPECT_EQ(TraceMessages(),
            RunLines(dir_, {SaveFailureLine(sub, " 75 Fehler beim Zugriff auf Pfad/Datei"),
                            CallLine(program_.path())}));
}

TEST_F(ExternalProgram, NothingIsStartedForAnEmptyOrBlankValue) {
  const std::string entries = "Ziel=Datei*\r\nDateiname=" + (dir_ / "t.txt") + "*\r\n";
  ASSERT_TRUE(RunJob(dir_, Header(entries + "Externer Programmaufruf=*") + Data("a") +
                               Header(entries + "Externer Programmaufruf=   *") + Data("b"))
                  .finished);
  EXPECT_EQ(TraceMessages(), RunLines(dir_));
}

TEST_F(ExternalProgram, WithTracingOffAFailedStartLeavesNoTrace) {
  SetTrace(Trace::Off);
  ASSERT_TRUE(RunJob(dir_, FileBlock(dir_ / "t.txt", "x", false, dir_ / "fehlt.exe") +
                               FileBlock(dir_ / "t.txt", "y", false, program_.path()))
                  .finished);
  EXPECT_EQ(StartRecords(program_.path(), 1).size(), 1u) << "the following block still starts";
  EXPECT_FALSE(FileExists(kTraceLog));
}

// qor.exe hands the program over and ends; the program, which would run for
// two minutes, runs on.
TEST_F(ExternalProgram, QorEndsWithoutWaitingForALongRunningProgram) {
  ASSERT_TRUE(RunJob(dir_, FileBlock(dir_ / "t.txt", "x", false, program_.path()), 30000).finished);
  ASSERT_EQ(StartRecords(program_.path(), 1).size(), 1u);
  EXPECT_EQ(ProcessesOf(program_.path()).size(), 1u) << "still running after qor.exe ended";
  EXPECT_EQ(TraceMessages(), RunLines(dir_, {CallLine(program_.path())}));
}

}  // namespace
