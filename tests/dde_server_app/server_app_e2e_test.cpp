// The DDE server check of the real qor.exe, under the Windows releases Wine
// presents to it. The DDE blocks name a server application and topic that
// nobody serves: what is checked here ends before the conversation.
#include <gtest/gtest.h>

#include <list>
#include <optional>

#include "qor_e2e.h"
#include "stand_in.h"
#include "system_state.h"
#include "watched_run.h"

using namespace e2e;

namespace {

std::string Block(const std::string& service) {
  return DdeBlock(service, "QorNiemand", "KeinThema", "Feld", "Daten");
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
  const WatchedRun job = RunJobWatched(dir_, Block(server));
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
  const WatchedRun job = RunJobWatched(dir_, Block(SwapCase(listed)) + Block(listed));
  ASSERT_TRUE(job.run.finished);
  EXPECT_TRUE(job.boxes.empty());
  EXPECT_EQ(CheckLines(job.trace), Lines{});
  EXPECT_EQ(ProcessesOf(server).size(), 1u) << "found by both blocks";
  EXPECT_EQ(StartRecords(server, 1).size(), 1u);
}

// Looked for as a command line, a missing directory is a missing file, and
// so is a name with a blank of which no part names a program.
TEST_P(ServerApp, MissingExecutableShowsTheBoxTheLineAndTheRunGoesOn) {
  const std::string written = dir_ / "danach.txt";
  for (const std::string& missing :
       {dir_ / "Bib\\bin\\dravo.exe", dir_ / "dravo.exe", dir_ / "DRAVO 2.EXE"}) {
    SCOPED_TRACE(missing);
    const WatchedRun run = RunJobWatched(dir_, Block(missing) + FileBlock(written, "weiter"));
    ASSERT_TRUE(run.run.finished);
    EXPECT_EQ(Content(written), "weiter") << "the next block is delivered";
    DeleteFileA(written.c_str());
    if (code() == 0) {
      EXPECT_TRUE(run.boxes.empty());
      EXPECT_EQ(CheckLines(run.trace), Lines{});
      continue;
    }
    const std::string message = "DDE-Anwendung " + missing + " Datei nicht gefunden";
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, message);
    EXPECT_TRUE(run.boxes[0].okOnly());
    EXPECT_NE(run.boxes[0].icon, nullptr) << "which one, the in-process check tells";
    EXPECT_EQ(run.trace, RunLines(dir_, {message}))
        << "the block ends with the check's line, nothing is poked";
  }
}

TEST_P(ServerApp, BoxIsShownAlsoWithTheTraceOff) {
  if (code() == 0) GTEST_SKIP() << "no scan and no start on this release";
  const std::string missing = dir_ / "fehlt.exe";
  const WatchedRun run = RunJobWatched(dir_, Block(missing) + Block(missing), Trace::Off);
  ASSERT_TRUE(run.run.finished);
  ASSERT_EQ(run.boxes.size(), 2u) << "one box for each block";
  EXPECT_EQ(run.boxes[1].text, "DDE-Anwendung " + missing + " Datei nicht gefunden");
  EXPECT_FALSE(run.logWritten);
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
  const WatchedRun run = RunJobWatched(dir, Block(server) + Block(server));
  ASSERT_TRUE(run.run.finished);
  const std::string message = "DDE-Anwendung " + server + " Fehler beim Laden einer DLL";
  ASSERT_EQ(run.boxes.size(), 2u) << "the failed load is remembered: each block fails alike";
  EXPECT_EQ(run.boxes[0].text, message);
  EXPECT_EQ(run.boxes[1].text, message);
  EXPECT_EQ(run.trace, RunLines(dir, {message, message}));
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
  const WatchedRun run = RunJobWatched(dir, Block(server));
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
  const WatchedRun run = RunJobWatched(dir_, Block("hulintern") + Block("hulintern"));
  ASSERT_TRUE(run.run.finished);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(ProcessesOf(dravo).size(), 1u) << "started by the first block, found by the second";
  const Lines records = StartRecords(dravo, 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].substr(0, records[0].find("\r\n")), "command line=" + dravo);
}

// Which program a "hulintern" block names, by what ZIRARUDAZADER.INI says:
// none is placed, so the box names it.
TEST_F(Hulintern, IniDecidesWhichProgramIsStarted) {
  const std::string own = BinDir() + "\\dravo.exe";
  // 149 characters fit the profile buffer; "\work" behind them is not seen.
  const std::string longDir = "C:\\" + std::string(146, 'a');
  const std::string fits = "C:\\" + std::string(100, 'b');
  const struct {
    const char* what;
    std::optional<std::string> ini;  // none: no INI file
    std::string program;
  } cases[] = {
      {"bin beside the work directory", WorkingDataIni(dir_ / "Bib\\work\\daten"),
       dir_ / "Bib\\bin\\dravo.exe"},
      {"a plain substring", WorkingDataIni(dir_ / "workspace\\x"), dir_ / "bin\\dravo.exe"},
      {"only its own section, the value trimmed",
       "[Andere]\r\nworking_data=X:\\a\r\n[ZIRARUDAZADER]\r\nworking_data =  " +
           (dir_ / "Bib\\work") + "  \r\n",
       dir_ / "Bib\\bin\\dravo.exe"},
      {"capital Work", WorkingDataIni(dir_ / "Bib\\Work\\daten"), own},
      {"work in front", WorkingDataIni("\\work\\daten"), own},
      {"empty value", WorkingDataIni(""), own},
      {"no such key", "[ZIRARUDAZADER]\r\nanderes=" + (dir_ / "Bib\\work") + "\r\n", own},
      {"work beyond the buffer", WorkingDataIni(longDir + "\\work\\d"), own},
      {"work within the buffer", WorkingDataIni(fits + "\\work\\" + std::string(80, 'c')),
       fits + "\\bin\\dravo.exe"},
      {"empty INI", std::string(), "hulintern"},
      {"no INI", std::nullopt, "hulintern"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(c.ini ? ini_.Write(*c.ini) : ini_.Remove());
    const std::string message = "DDE-Anwendung " + c.program + " Datei nicht gefunden";
    const WatchedRun run = RunJobWatched(dir_, Block("hulintern"));
    ASSERT_TRUE(run.run.finished);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, message);
    EXPECT_EQ(CheckLines(run.trace), Lines{message});
  }
}

}  // namespace
