// The DDE server check of the real qor.exe, under the Windows releases Wine
// presents to it. The DDE blocks name a server application and topic that
// nobody serves: what is checked here ends before the conversation.
#include <gtest/gtest.h>

#include <list>

#include "box_answerer.h"
#include "qor_e2e.h"
#include "stand_in.h"
#include "system_state.h"

using namespace e2e;

namespace {

std::string Block(const std::string& service) {
  return DdeBlock(service, "QorNiemand", "KeinThema", "Feld", "Daten");
}

// A run of qor.exe with every "DDE-Export" box answered.
struct JobRun {
  RunResult run;
  std::vector<SeenBox> boxes;
  Lines trace;
};

JobRun RunWatched(const TempDir& dir, const std::string& job, Trace trace = Trace::On) {
  SetTrace(trace);
  JobRun result;
  BoxAnswerer answerer("DDE-Export");
  result.run = RunJob(dir, job);
  result.boxes = answerer.Stop();
  result.trace = TraceMessages();
  SetTrace(Trace::Off);
  return result;
}

// Lines of the check: the message of a failed start or scan.
Lines CheckLines(const Lines& trace) {
  Lines lines;
  for (const std::string& line : trace) {
    if (line.rfind("DDE-Anwendung ", 0) == 0) lines.push_back(line);
  }
  return lines;
}

class ServerApp : public testing::TestWithParam<Release> {
 protected:
  void SetUp() override { ASSERT_TRUE(presented_.ok()); }
  int code() const { return GetParam().code; }
  bool snapshotScan() const { return code() >= 1 && code() <= 3; }

  PresentedWindows presented_{"qor.exe", GetParam().name};
  TempDir dir_;
};

TEST_P(ServerApp, MissingServerIsStartedOnce) {
  const StandIn copy(dir_ / UniqueName("SrvE2e"));
  const std::string& server = copy.path();
  ASSERT_TRUE(copy.placed());
  const JobRun job = RunWatched(dir_, Block(server));
  ASSERT_TRUE(job.run.finished);
  EXPECT_TRUE(job.boxes.empty());
  EXPECT_EQ(CheckLines(job.trace), Lines{});
  if (code() == 0) {
    EXPECT_TRUE(ProcessesOf(server).empty()) << "no scan, no start on this release";
  } else {
    EXPECT_EQ(ProcessesOf(server).size(), 1u);
    const Lines records = StartRecords(server, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], StartRecord(server, "1,4"));
  }
}

TEST_P(ServerApp, RunningServerInOtherLetterCaseIsNotStartedAgain) {
  const StandIn copy(dir_ / UniqueName("SrvLaeuft"));
  const std::string& server = copy.path();
  ASSERT_TRUE(copy.placed());
  ASSERT_TRUE(StartDirectly(server));
  // In a snapshot under Wine szExeFile holds only the file name.
  const std::string listed = snapshotScan() ? FileNameOf(server) : server;
  const JobRun job = RunWatched(dir_, Block(SwapCase(listed)) + Block(listed));
  ASSERT_TRUE(job.run.finished);
  EXPECT_TRUE(job.boxes.empty());
  EXPECT_EQ(CheckLines(job.trace), Lines{});
  EXPECT_EQ(ProcessesOf(server).size(), 1u) << "found by both blocks";
  EXPECT_EQ(StartRecords(server, 1).size(), 1u);
}

TEST_P(ServerApp, MissingExecutableShowsTheBoxTheLineAndTheRunGoesOn) {
  const std::string missing = dir_ / "Bib\\bin\\dravo.exe";
  const std::string written = dir_ / "danach.txt";
  const std::string job = Block(missing) + FileBlock(written, "weiter");
  const JobRun run = RunWatched(dir_, job);
  ASSERT_TRUE(run.run.finished);
  std::string content;
  EXPECT_TRUE(ReadFileBytes(written, content)) << "the next block is delivered";
  EXPECT_EQ(content, "weiter");
  if (code() == 0) {
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(CheckLines(run.trace), Lines{});
    return;
  }
  // Looked for as a command line: a missing directory is a missing file.
  const std::string message = "DDE-Anwendung " + missing + " Datei nicht gefunden";
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, message);
  EXPECT_TRUE(run.boxes[0].okOnly());
  EXPECT_NE(run.boxes[0].icon, nullptr);
  EXPECT_EQ(run.trace, RunLines(dir_, {message}))
      << "the block ends with the check's line, nothing is poked";
}

TEST_P(ServerApp, BoxIsShownAlsoWithTheTraceOff) {
  if (code() == 0) GTEST_SKIP() << "no scan and no start on this release";
  const std::string missing = dir_ / "fehlt.exe";
  const JobRun run = RunWatched(dir_, Block(missing) + Block(missing), Trace::Off);
  ASSERT_TRUE(run.run.finished);
  ASSERT_EQ(run.boxes.size(), 2u) << "one box for each block";
  EXPECT_EQ(run.boxes[1].text, "DDE-Anwendung " + missing + " Datei nicht gefunden");
  EXPECT_FALSE(FileExists(kTraceLog));
}

INSTANTIATE_TEST_SUITE_P(Releases, ServerApp, testing::ValuesIn(kReleases),
                         [](const testing::TestParamInfo<Release>& info) {
                           return std::string(info.param.name);
                         });

TEST(ServerAppNt4, WithoutPsapiTheBoxNamesTheFailedLoad) {
  PresentedWindows presented("qor.exe", "nt40", true);
  ASSERT_TRUE(presented.ok());
  TempDir dir;
  const StandIn copy(dir / UniqueName("SrvNt4"));
  const std::string& server = copy.path();
  ASSERT_TRUE(copy.placed());
  const JobRun run = RunWatched(dir, Block(server));
  ASSERT_TRUE(run.run.finished);
  const std::string message = "DDE-Anwendung " + server + " Fehler beim Laden einer DLL";
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, message);
  EXPECT_EQ(run.trace, RunLines(dir, {message}));
  EXPECT_TRUE(ProcessesOf(server).empty());
}

// An absent server whose path has a blank, beside a program named like the
// path's part before the blank: as a command line the path would start that
// program. Only the file named may start, so nothing runs and the box says
// the file is missing.
TEST(ServerAppStart, AbsentServerWithABlankInItsPathStartsNoOtherProgram) {
  PresentedWindows presented("qor.exe", "winxp");
  ASSERT_TRUE(presented.ok());
  TempDir dir;
  const std::string name = UniqueName("Pro");
  const StandIn shorter(dir / name);
  const std::string directory = dir / (name.substr(0, name.size() - 4) + " gram");
  const std::string server = directory + "\\srv.exe";
  ASSERT_TRUE(shorter.placed());
  ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
  const JobRun run = RunWatched(dir, Block(server));
  ASSERT_TRUE(run.run.finished);
  EXPECT_TRUE(ProcessesOf(shorter.path()).empty()) << "a program nobody named was started";
  const std::string message = "DDE-Anwendung " + server + " Datei nicht gefunden";
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, message);
  EXPECT_EQ(run.trace, RunLines(dir, {message}));
}

// "hulintern" through ZIRARUDAZADER.INI, on a release with the process list.
class Hulintern : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(presented_.ok());
    ASSERT_EQ(dir_.path().find("\\work"), std::string::npos) << "the scratch path must not decide";
    ASSERT_FALSE(FileExists(BinDir() + "\\dravo.exe"));
  }
  void WorkingData(const std::string& value) { ASSERT_TRUE(ini_.Write(WorkingDataIni(value))); }
  std::string PlaceDravo(const std::string& directory) {
    // Every test's dravo.exe is told apart by its directory; the file name is
    // the same, so no other one may run.
    EXPECT_TRUE(dravos_.emplace_back(directory + "\\dravo.exe").placed());
    return dravos_.back().path();
  }

  PresentedWindows presented_{"qor.exe", "winxp"};
  CompanionIni ini_;
  TempDir dir_;
  std::list<StandIn> dravos_;
};

TEST_F(Hulintern, CompanionBesideTheWorkDirectoryIsStartedThenFound) {
  const std::string dravo = PlaceDravo(dir_ / "Bib\\bin");
  WorkingData(dir_ / "Bib\\work\\daten");
  const JobRun run = RunWatched(dir_, Block("hulintern") + Block("hulintern"));
  ASSERT_TRUE(run.run.finished);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(ProcessesOf(dravo).size(), 1u) << "started by the first block, found by the second";
  const Lines records = StartRecords(dravo, 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].substr(0, records[0].find("\r\n")), "command line=" + dravo);
}

TEST_F(Hulintern, WorkspaceCountsAsWork) {
  const std::string dravo = PlaceDravo(dir_ / "bin");
  WorkingData(dir_ / "workspace\\x");
  const JobRun run = RunWatched(dir_, Block("hulintern"));
  ASSERT_TRUE(run.run.finished);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(StartRecords(dravo, 1).size(), 1u);
}

TEST_F(Hulintern, CapitalWorkOrWorkInFrontMeansBesideQor) {
  const std::string own = BinDir() + "\\dravo.exe";
  for (const std::string& value : {dir_ / "Bib\\Work\\daten", std::string("\\work\\daten")}) {
    SCOPED_TRACE(value);
    WorkingData(value);
    const JobRun run = RunWatched(dir_, Block("hulintern"));
    ASSERT_TRUE(run.run.finished);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, "DDE-Anwendung " + own + " Datei nicht gefunden");
  }
}

TEST_F(Hulintern, WithoutIniTheKeywordItselfIsStarted) {
  ASSERT_TRUE(ini_.Remove());
  const JobRun run = RunWatched(dir_, Block("hulintern"));
  ASSERT_TRUE(run.run.finished);
  const std::string message = "DDE-Anwendung hulintern Datei nicht gefunden";
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, message);
  EXPECT_EQ(CheckLines(run.trace), Lines{message});
}

}  // namespace
