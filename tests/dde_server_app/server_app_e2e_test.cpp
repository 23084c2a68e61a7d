// The DDE server check of the real qor.exe, under the Windows releases Wine
// presents to it. The DDE blocks name a server application and topic that
// nobody serves: what is checked here ends before the conversation.
#include <gtest/gtest.h>

#include "qor_e2e.h"
#include "server_app_support.h"

using e2e::TempDir;
using e2e::Trace;
using Lines = std::vector<std::string>;

namespace {

struct Release {
  const char* name;
  int code;  // the version code qor.exe derives for it
};

std::ostream& operator<<(std::ostream& out, const Release& release) { return out << release.name; }

const Release kReleases[] = {
    {"winxp", 6}, {"win2k", 5}, {"nt40", 4},    {"win98", 2},
    {"win95", 1}, {"winme", 3}, {"win7", 0},    {"win2003", 0},
};

std::string UniqueName(const char* stem) {
  static int counter = 0;
  return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(counter++) + ".exe";
}

std::string Block(const std::string& service) {
  return e2e::DdeBlock(service, "QorNiemand", "KeinThema", "Feld", "Daten");
}

// A run of qor.exe with every "DDE-Export" box answered.
struct JobRun {
  e2e::RunResult run;
  std::vector<sat::SeenBox> boxes;
  Lines trace;
};

JobRun RunWatched(const TempDir& dir, const std::string& job, Trace trace = Trace::On) {
  e2e::SetTrace(trace);
  JobRun result;
  sat::BoxWatcher watcher;
  result.run = e2e::RunJob(dir, job);
  result.boxes = watcher.Stop();
  result.trace = e2e::TraceMessages();
  e2e::SetTrace(Trace::Off);
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

Lines StartLines(const std::string& job) {
  return {"***** QOR Start *****", "Parameter:  " + job};
}

class ServerApp : public testing::TestWithParam<Release> {
 protected:
  void SetUp() override { ASSERT_TRUE(presented_.ok()); }
  int code() const { return GetParam().code; }
  bool snapshotScan() const { return code() >= 1 && code() <= 3; }

  sat::PresentedWindows presented_{"qor.exe", GetParam().name};
  TempDir dir_;
};

TEST_P(ServerApp, MissingServerIsStartedOnce) {
  const std::string server = dir_ / UniqueName("SrvE2e");
  ASSERT_TRUE(sat::PlaceServer(server));
  const JobRun job = RunWatched(dir_, Block(server));
  ASSERT_TRUE(job.run.finished);
  EXPECT_TRUE(job.boxes.empty());
  EXPECT_EQ(CheckLines(job.trace), Lines{});
  if (code() == 0) {
    EXPECT_TRUE(sat::ProcessesOf(server).empty()) << "no scan, no start on this release";
  } else {
    EXPECT_EQ(sat::ProcessesOf(server).size(), 1u);
    const Lines records = sat::StartRecords(server, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], "command line=\"" + server + "\"\r\nshow flag=1\r\nshow=4\r\n");
  }
  sat::EndServers(server);
}

TEST_P(ServerApp, RunningServerInOtherLetterCaseIsNotStartedAgain) {
  const std::string server = dir_ / UniqueName("SrvLaeuft");
  ASSERT_TRUE(sat::PlaceServer(server));
  ASSERT_TRUE(sat::StartServerDirectly(server));
  // In a snapshot under Wine szExeFile holds only the file name.
  const std::string listed = snapshotScan() ? sat::FileNameOf(server) : server;
  const JobRun job = RunWatched(dir_, Block(sat::SwapCase(listed)) + Block(listed));
  ASSERT_TRUE(job.run.finished);
  EXPECT_TRUE(job.boxes.empty());
  EXPECT_EQ(CheckLines(job.trace), Lines{});
  EXPECT_EQ(sat::ProcessesOf(server).size(), 1u) << "found by both blocks";
  EXPECT_EQ(sat::StartRecords(server, 1).size(), 1u);
  sat::EndServers(server);
}

TEST_P(ServerApp, MissingExecutableShowsTheBoxTheLineAndTheRunGoesOn) {
  const std::string missing = dir_ / "Bib\\bin\\dravo.exe";
  const std::string written = dir_ / "danach.txt";
  const std::string job = Block(missing) + e2e::FileBlock(written, "weiter");
  const JobRun run = RunWatched(dir_, job);
  ASSERT_TRUE(run.run.finished);
  std::string content;
  EXPECT_TRUE(e2e::ReadFileBytes(written, content)) << "the next block is delivered";
  EXPECT_EQ(content, "weiter");
  if (code() == 0) {
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(CheckLines(run.trace), Lines{});
    return;
  }
  const std::string message = "DDE-Anwendung " + missing + " Pfad nicht gefunden";  // no Bib\bin
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, message);
  EXPECT_TRUE(run.boxes[0].okButtonOnly);
  EXPECT_TRUE(run.boxes[0].hasIcon);
  Lines expected = StartLines(dir_ / "job.qor");
  expected.push_back(message);
  EXPECT_EQ(run.trace, expected) << "the block ends with the check's line, nothing is poked";
}

TEST_P(ServerApp, BoxIsShownAlsoWithTheTraceOff) {
  if (code() == 0) GTEST_SKIP() << "no scan and no start on this release";
  const std::string missing = dir_ / "fehlt.exe";
  const JobRun run = RunWatched(dir_, Block(missing) + Block(missing), Trace::Off);
  ASSERT_TRUE(run.run.finished);
  ASSERT_EQ(run.boxes.size(), 2u) << "one box for each block";
  EXPECT_EQ(run.boxes[1].text, "DDE-Anwendung " + missing + " Datei nicht gefunden");
  EXPECT_FALSE(e2e::FileExists(e2e::kTraceLog));
}

INSTANTIATE_TEST_SUITE_P(Releases, ServerApp, testing::ValuesIn(kReleases),
                         [](const testing::TestParamInfo<Release>& info) {
                           return std::string(info.param.name);
                         });

TEST(ServerAppNt4, WithoutPsapiTheBoxNamesTheFailedLoad) {
  sat::PresentedWindows presented("qor.exe", "nt40", true);
  ASSERT_TRUE(presented.ok());
  TempDir dir;
  const std::string server = dir / UniqueName("SrvNt4");
  ASSERT_TRUE(sat::PlaceServer(server));
  const JobRun run = RunWatched(dir, Block(server));
  ASSERT_TRUE(run.run.finished);
  const std::string message = "DDE-Anwendung " + server + " Fehler beim Laden einer DLL";
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, message);
  Lines expected = StartLines(dir / "job.qor");
  expected.push_back(message);
  EXPECT_EQ(run.trace, expected);
  EXPECT_TRUE(sat::ProcessesOf(server).empty());
}

// An absent server whose path has a blank, beside a program named like the
// path's part before the blank: as a command line the path would start that
// program. Only the file named may start, so nothing runs and the box says
// the file is missing.
TEST(ServerAppStart, AbsentServerWithABlankInItsPathStartsNoOtherProgram) {
  sat::PresentedWindows presented("qor.exe", "winxp");
  ASSERT_TRUE(presented.ok());
  TempDir dir;
  const std::string name = UniqueName("Pro");
  const std::string shorter = dir / name;
  const std::string directory = dir / (name.substr(0, name.size() - 4) + " gram");
  const std::string server = directory + "\\srv.exe";
  ASSERT_TRUE(sat::PlaceServer(shorter));
  ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
  const JobRun run = RunWatched(dir, Block(server));
  ASSERT_TRUE(run.run.finished);
  const bool shorterRan = !sat::ProcessesOf(shorter).empty();
  sat::EndServers(shorter);
  EXPECT_FALSE(shorterRan) << "a program nobody named was started";
  const std::string message = "DDE-Anwendung " + server + " Datei nicht gefunden";
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, message);
  EXPECT_EQ(run.trace, e2e::RunLines(dir, {message}));
}

// "hulintern" through ZIRARUDAZADER.INI, on a release with the process list.
class Hulintern : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(presented_.ok());
    ASSERT_EQ(dir_.path().find("\\work"), std::string::npos) << "the scratch path must not decide";
    ASSERT_FALSE(e2e::FileExists(e2e::BinDir() + "\\dravo.exe"));
  }
  void TearDown() override {
    for (const std::string& path : started_) sat::EndServers(path);
  }
  void WorkingData(const std::string& value) {
    ASSERT_TRUE(ini_.Write("[ZIRARUDAZADER]\r\nworking_data=" + value + "\r\n"));
  }
  std::string PlaceDravo(const std::string& directory) {
    // Every test's dravo.exe is told apart by its directory; the file name is
    // the same, so no other one may run.
    const std::string path = directory + "\\dravo.exe";
    EXPECT_TRUE(sat::PlaceServer(path));
    started_.push_back(path);
    return path;
  }

  sat::PresentedWindows presented_{"qor.exe", "winxp"};
  sat::CompanionIni ini_;
  TempDir dir_;
  std::vector<std::string> started_;
};

TEST_F(Hulintern, CompanionBesideTheWorkDirectoryIsStartedThenFound) {
  const std::string dravo = PlaceDravo(dir_ / "Bib\\bin");
  WorkingData(dir_ / "Bib\\work\\daten");
  const JobRun run = RunWatched(dir_, Block("hulintern") + Block("hulintern"));
  ASSERT_TRUE(run.run.finished);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(sat::ProcessesOf(dravo).size(), 1u) << "started by the first block, found by the second";
  const Lines records = sat::StartRecords(dravo, 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].substr(0, records[0].find("\r\n")), "command line=\"" + dravo + "\"");
}

TEST_F(Hulintern, WorkspaceCountsAsWork) {
  const std::string dravo = PlaceDravo(dir_ / "bin");
  WorkingData(dir_ / "workspace\\x");
  const JobRun run = RunWatched(dir_, Block("hulintern"));
  ASSERT_TRUE(run.run.finished);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(sat::StartRecords(dravo, 1).size(), 1u);
}

TEST_F(Hulintern, CapitalWorkOrWorkInFrontMeansBesideQor) {
  const std::string own = e2e::BinDir() + "\\dravo.exe";
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
