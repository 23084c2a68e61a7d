// EnsureDdeServerRunning and LocateCompanionPath called in this process, under
// the Windows release Wine presents to it. Started with --windows=RELEASE
// (and --without-psapi), the program has Wine present that release to a
// second instance of itself, which runs the tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "box_answerer.h"
#include "companion_path.h"
#include "ensure_server_running.h"
#include "file_presence.h"
#include "qor_e2e.h"
#include "qor_state.h"
#include "stand_in.h"
#include "system_state.h"
#include "windows_version.h"

using namespace e2e;

namespace {

// The code GetWindowsVersionCode must give for the release this instance runs
// under; -1 when none was asked for.
int gExpectedCode = -1;
bool gWithoutPsapi = false;

bool ListScan() { return gExpectedCode >= 4 && gExpectedCode <= 6; }
bool SnapshotScan() { return gExpectedCode >= 1 && gExpectedCode <= 3; }

// The check with the trace on and every box answered.
struct CheckRun {
  bool result = false;
  std::vector<SeenBox> boxes;
  Lines trace;
};

CheckRun Check(const std::string& path) {
  SetTrace(Trace::On);
  TraceOn = true;
  CheckRun run;
  BoxAnswerer answerer("DDE-Export");
  run.result = EnsureDdeServerRunning(path);
  run.boxes = answerer.Stop();
  run.trace = TraceMessages();
  TraceOn = false;
  SetTrace(Trace::Off);
  return run;
}

// The number of open handles of this process. Counted one by one, because
// Wine's GetProcessHandleCount always reports 0.
int OpenHandles() {
  int open = 0;
  for (uintptr_t value = 4; value < 8192; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++open;
  }
  return open;
}

class ServerCheck : public testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(gExpectedCode, -1) << "run with --windows=RELEASE"; }
  TempDir dir_;
};

TEST_F(ServerCheck, VersionCodeOfThePresentedRelease) {
  EXPECT_EQ(GetWindowsVersionCode(), gExpectedCode);
}

TEST_F(ServerCheck, MissingServerIsStartedAsItsPathWithoutFocus) {
  StandIn server(dir_ / UniqueName("SrvStart"));
  ASSERT_TRUE(server.placed());
  const CheckRun run = Check(server.path());
  EXPECT_TRUE(run.result);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(run.trace, Lines{}) << "a start is not traced";
  if (gExpectedCode == 0) {
    EXPECT_TRUE(ProcessesOf(server.path()).empty()) << "no scan, no start on this release";
    return;
  }
  // CreateProcessA has returned: the process exists already.
  EXPECT_EQ(ProcessesOf(server.path()).size(), 1u);
  const Lines records = StartRecords(server.path(), 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], StartRecord(server.path(), "1,4"))
      << "the path as it stands, nothing added, SW_SHOWNOACTIVATE";
}

// The command line a missing server is started with: a value the job quoted
// as it stands; one with a blank taken apart, the longest part that names a
// program quoted and the rest its arguments. Such a value is no program's
// path, so it is never found running: every block starts it.
TEST_F(ServerCheck, ValueWithABlankStartsItsProgramWithTheRestAsArguments) {
  if (gExpectedCode == 0) GTEST_SKIP() << "no scan and no start on this release";
  const std::string name = UniqueName("SrvZeile");
  StandIn server(dir_ / name);
  const std::string stem = server.path().substr(0, server.path().size() - 4);
  const std::string pro = UniqueName("Pro");
  StandIn shorter(dir_ / pro);
  StandIn spaced(dir_ / (pro.substr(0, pro.size() - 4) + " gram\\" + UniqueName("Srv")));
  ASSERT_TRUE(server.placed() && shorter.placed() && spaced.placed());
  char oldPath[32767] = {};
  GetEnvironmentVariableA("PATH", oldPath, sizeof oldPath);
  SetEnvironmentVariableA("PATH", (dir_.path() + ";" + oldPath).c_str());
  // A copy started with an argument records the file it names too.
  const std::string withArguments = "file=<fehlt>";
  const struct {
    const char* row;
    std::string value;
    std::string record;
    const StandIn& started;
  } cases[] = {
      {"quoted by the job", "\"" + server.path() + "\"",
       StartRecord("\"" + server.path() + "\"", "1,4"), server},
      {"with arguments", server.path() + " /dde  x",
       StartRecord("\"" + server.path() + "\" /dde  x", "1,4") + withArguments, server},
      {".exe implied", stem + " /dde", StartRecord("\"" + stem + "\" /dde", "1,4") + withArguments,
       server},
      {"a path with a blank and arguments", spaced.path() + " /dde",
       StartRecord("\"" + spaced.path() + "\" /dde", "1,4") + withArguments, spaced},
      {"a bare name with arguments, through PATH", name + " /dde",
       StartRecord("\"" + name + "\" /dde", "1,4") + withArguments, server},
  };
  size_t fromServer = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    const CheckRun first = Check(c.value);
    const CheckRun second = Check(c.value);
    EXPECT_TRUE(first.result && second.result);
    EXPECT_TRUE(first.boxes.empty() && second.boxes.empty());
    const size_t count = &c.started == &server ? (fromServer += 2) : 2;
    const Lines records = StartRecords(c.started.path(), count);
    ASSERT_EQ(records.size(), count) << "started by both blocks";
    // The records of one copy come in no particular order.
    EXPECT_EQ(std::count(records.begin(), records.end(), c.record), 2) << records.back();
  }
  SetEnvironmentVariableA("PATH", oldPath);
  EXPECT_TRUE(ProcessesOf(shorter.path()).empty()) << "a program nobody named was started";
}

TEST_F(ServerCheck, PathWithABlankStartsThatFileAndNoShorterOne) {
  if (gExpectedCode == 0) GTEST_SKIP() << "no scan and no start on this release";
  // As a command line, "<dir>\Pro-... gram\Srv-....exe" would start
  // "<dir>\Pro-....exe", which exists too.
  const std::string name = UniqueName("Pro");
  StandIn shorter(dir_ / name);
  StandIn server(dir_ / name.substr(0, name.size() - 4) + " gram\\" + UniqueName("Srv"));
  ASSERT_TRUE(shorter.placed());
  ASSERT_TRUE(server.placed());
  const CheckRun run = Check(server.path());
  EXPECT_TRUE(run.result);
  EXPECT_TRUE(run.boxes.empty());
  const Lines records = StartRecords(server.path(), 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], StartRecord("\"" + server.path() + "\"", "1,4"));
  EXPECT_TRUE(ProcessesOf(shorter.path()).empty()) << "a program nobody named was started";
}

TEST_F(ServerCheck, RunningServerInOtherLetterCaseIsNotStartedAgain) {
  StandIn server(dir_ / UniqueName("SrvRun"));
  ASSERT_TRUE(server.placed());
  ASSERT_TRUE(StartDirectly(server.path()));
  ASSERT_EQ(ProcessesOf(server.path()).size(), 1u);

  // The path under which the running server is listed: its full path in the
  // process list; in a snapshot what szExeFile holds (a full path on Windows
  // 9x, only the file name under Wine).
  std::string listed = server.path();
  if (SnapshotScan()) listed = FileNameOf(server.path());
  const CheckRun run = Check(SwapCase(listed));
  EXPECT_TRUE(run.result);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(run.trace, Lines{});
  EXPECT_EQ(ProcessesOf(server.path()).size(), 1u) << "found, so not started again";
  EXPECT_EQ(StartRecords(server.path(), 1).size(), 1u);
}

TEST_F(ServerCheck, ServerUnderAnotherFormOfItsPathIsStartedAgain) {
  if (!ListScan()) GTEST_SKIP() << "only the process list reports full paths under Wine";
  StandIn server(dir_ / UniqueName("SrvForm"));
  ASSERT_TRUE(server.placed());
  ASSERT_TRUE(StartDirectly(server.path()));
  // The same file through a path with "." in it: no normalisation, no match.
  const std::string other = dir_.path() + "\\.\\" + FileNameOf(server.path());
  const CheckRun run = Check(other);
  EXPECT_TRUE(run.result);
  EXPECT_EQ(ProcessesOf(server.path()).size(), 2u);
  EXPECT_EQ(StartRecords(server.path(), 2).size(), 2u);
}

TEST_F(ServerCheck, MissingExecutableShowsTheBoxThenTheTraceLine) {
  // A missing file in a present directory; a missing directory is a missing
  // path (see the end-to-end test).
  for (const std::string& missing : {dir_ / "dravo.exe", dir_ / "DRAVO 2.EXE"}) {
    SCOPED_TRACE(missing);
    const CheckRun run = Check(missing);
    if (gExpectedCode == 0) {
      EXPECT_TRUE(run.result) << "counts as running on a release without a scan";
      EXPECT_TRUE(run.boxes.empty());
      EXPECT_EQ(run.trace, Lines{});
      continue;
    }
    EXPECT_FALSE(run.result);
    ASSERT_EQ(run.boxes.size(), 1u);
    const std::string message = "DDE-Anwendung " + missing + " Datei nicht gefunden";
    EXPECT_EQ(run.boxes[0].text, message);
    EXPECT_TRUE(run.boxes[0].okOnly());
    EXPECT_EQ(run.boxes[0].icon, LoadIconA(nullptr, IDI_HAND)) << "the stop icon";
    EXPECT_EQ(run.trace, Lines{message});
  }
}

// A name without a directory is looked for as a shell looks for it: found
// through PATH, never among the running programs, so started for every block.
TEST_F(ServerCheck, NameWithoutDirectoryIsFoundOnThePathAndStartedEveryTime) {
  if (gExpectedCode == 0) GTEST_SKIP() << "no scan and no start on this release";
  const std::string name = UniqueName("SrvAufPfad");
  StandIn server(dir_ / name);
  ASSERT_TRUE(server.placed());
  char oldPath[32767] = {};
  GetEnvironmentVariableA("PATH", oldPath, sizeof oldPath);
  SetEnvironmentVariableA("PATH", (dir_.path() + ";" + oldPath).c_str());
  const CheckRun first = Check(name);
  // Wine's snapshot names running programs without their directory, so
  // there the first instance would be found; Windows names the full path.
  // It is ended once it has recorded its start.
  if (SnapshotScan() && StartRecords(server.path(), 1).size() == 1) EndProcessesOf(server.path());
  const CheckRun second = Check(name);
  SetEnvironmentVariableA("PATH", oldPath);
  EXPECT_TRUE(first.result);
  EXPECT_TRUE(second.result);
  EXPECT_TRUE(first.boxes.empty() && second.boxes.empty());
  EXPECT_EQ(StartRecords(server.path(), 2), Lines(2, StartRecord(name, "1,4")));

  const std::string missing = UniqueName("qor-nirgends");
  const CheckRun run = Check(missing);
  EXPECT_FALSE(run.result);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, "DDE-Anwendung " + missing + " Datei nicht gefunden");
  EXPECT_EQ(run.trace, Lines{"DDE-Anwendung " + missing + " Datei nicht gefunden"});
}

// A NUL would cut the name short, and a value with a blank in which no part
// names a program would be read by Windows up to each blank: either could
// start a file nobody named.
TEST_F(ServerCheck, NameWithANulOrWithoutAProgramInItIsRefused) {
  if (gExpectedCode == 0) GTEST_SKIP() << "no scan and no start on this release";
  StandIn named(dir_ / UniqueName("SrvKurz"));
  ASSERT_TRUE(named.placed());
  const std::string stem = named.path().substr(0, named.path().size() - 4);
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {named.path() + std::string(1, '\0') + ".x", "Dateiname oder -nummer falsch"},
      {stem + " fehlt\\srv.exe /dde", "Datei nicht gefunden"},
  };
  // Behind the second, a folder: the value goes on through it.
  ASSERT_TRUE(CreateDirectoryA((stem + " fehlt").c_str(), nullptr));
  for (const auto& c : cases) {
    const CheckRun run = Check(c.path);
    EXPECT_FALSE(run.result);
    ASSERT_EQ(run.boxes.size(), 1u);
    // A box shows its text up to a NUL.
    const std::string message = "DDE-Anwendung " + c.path + " " + c.reason;
    EXPECT_EQ(run.boxes[0].text, message.substr(0, message.find('\0')));
  }
  EXPECT_TRUE(ProcessesOf(named.path()).empty());
}

TEST_F(ServerCheck, ProcessHandlesAreAllClosedTheMatchingOneToo) {
  if (gExpectedCode == 0) GTEST_SKIP() << "nothing is opened on this release";
  StandIn server(dir_ / UniqueName("SrvHandles"));
  ASSERT_TRUE(server.placed());
  ASSERT_TRUE(StartDirectly(server.path()));
  const std::string listed = SnapshotScan() ? FileNameOf(server.path()) : server.path();
  ASSERT_TRUE(EnsureDdeServerRunning(listed));  // binds what the scan needs

  const int before = OpenHandles();
  ASSERT_GT(before, 0);
  for (int i = 0; i < 25; ++i) {
    ASSERT_TRUE(EnsureDdeServerRunning(listed));  // found: the scan stops at the match
  }
  const int after = OpenHandles();
  EXPECT_EQ(after, before);
  EXPECT_EQ(ProcessesOf(server.path()).size(), 1u);
}

TEST_F(ServerCheck, ScansWithoutMatchAndStartsLeaveNoHandleOpen) {
  if (gExpectedCode == 0) GTEST_SKIP() << "nothing is opened on this release";
  const std::string missing = dir_ / "da.exe";
  StandIn server(dir_ / UniqueName("SrvStarts"));
  ASSERT_TRUE(server.placed());
  {
    BoxAnswerer answerer("DDE-Export");
    EnsureDdeServerRunning(missing);
  }
  const int before = OpenHandles();
  ASSERT_GT(before, 0);
  size_t boxes = 0;
  for (int i = 0; i < 5; ++i) {
    BoxAnswerer answerer("DDE-Export");
    EXPECT_FALSE(EnsureDdeServerRunning(missing));
    boxes += answerer.Stop().size();
  }
  // A sought path other than the running one's: never found, started each time.
  const std::string other = dir_.path() + "\\.\\" + FileNameOf(server.path());
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(EnsureDdeServerRunning(other));
  const int after = OpenHandles();
  EXPECT_EQ(boxes, 5u);
  EXPECT_EQ(StartRecords(server.path(), 3).size(), 3u);
  EXPECT_EQ(after, before) << "scan handles, snapshots and the started process and thread";
}

TEST(NoPsapi, ProcessListThatCannotBeBoundShowsTheBoxAndStartsNothing) {
  ASSERT_TRUE(gWithoutPsapi) << "run with --windows=nt40 --without-psapi";
  ASSERT_EQ(GetWindowsVersionCode(), 4);
  TempDir dir;
  StandIn server(dir / UniqueName("SrvNt4"));
  ASSERT_TRUE(server.placed());
  const CheckRun run = Check(server.path());
  EXPECT_FALSE(run.result);
  ASSERT_EQ(run.boxes.size(), 1u);
  const std::string message = "DDE-Anwendung " + server.path() + " Fehler beim Laden einer DLL";
  EXPECT_EQ(run.boxes[0].text, message);
  EXPECT_EQ(run.trace, Lines{message});
  EXPECT_TRUE(ProcessesOf(server.path()).empty());
  // The failure is remembered: a second block fails the same way.
  const CheckRun again = Check(server.path());
  EXPECT_FALSE(again.result);
  ASSERT_EQ(again.boxes.size(), 1u);
  EXPECT_EQ(again.boxes[0].text, message);
}

// LocateCompanionPath, with ZIRARUDAZADER.INI put back afterwards.
class Companion : public testing::Test {
 protected:
  // The path for "hulintern" with an INI file of `ini` (none: as it is).
  std::string Locate(const std::string& ini) {
    if (!ini.empty()) {
      EXPECT_TRUE(ini_.Write(ini));
    }
    JobBlock.DdeService = "hulintern";
    LocateCompanionPath();
    return JobBlock.DdeService;
  }
  CompanionIni ini_;
};

TEST_F(Companion, BinBesideTheFirstWorkElseTheProgramsOwnDirectory) {
  const std::string own = BinDir() + "\\dravo.exe";
  // 149 characters fit the profile buffer; "\work" behind them is not seen.
  const std::string longDir = "C:\\" + std::string(146, 'a');
  const std::string fits = "C:\\" + std::string(100, 'b');
  const struct {
    std::string ini;
    std::string path;
  } cases[] = {
      {WorkingDataIni("D:\\Bib\\work\\daten"), "D:\\Bib\\bin\\dravo.exe"},
      {WorkingDataIni("C:\\x\\work\\app\\work\\d"), "C:\\x\\bin\\dravo.exe"},
      {WorkingDataIni("C:\\workspace\\x"), "C:\\bin\\dravo.exe"},
      // Only the section ZIRARUDAZADER counts.
      {"[Andere]\r\nworking_data=X:\\a\r\n"
       "[ZIRARUDAZADER]\r\nworking_data =  E:\\Bib\\work  \r\n",
       "E:\\Bib\\bin\\dravo.exe"},
      {WorkingDataIni("D:\\Bib\\Work\\daten"), own},
      {WorkingDataIni("\\work\\daten"), own},
      {WorkingDataIni(""), own},
      {"[ZIRARUDAZADER]\r\nanderes=D:\\Bib\\work\r\n", own},
      {WorkingDataIni(longDir + "\\work\\d"), own},
      {WorkingDataIni(fits + "\\work\\" + std::string(80, 'c')), fits + "\\bin\\dravo.exe"},
  };
  for (const auto& c : cases) EXPECT_EQ(Locate(c.ini), c.path) << c.ini;
}

TEST_F(Companion, NoIniOrAnEmptyOneKeepsTheKeyword) {
  ASSERT_TRUE(ini_.Remove());
  EXPECT_EQ(Locate(""), "hulintern");
  ASSERT_TRUE(ini_.Write(""));
  EXPECT_EQ(Locate(""), "hulintern");
}

// Runs this program again under `release`, passing its arguments on, and
// returns that run's exit code.
int RunUnderRelease(const std::string& release, bool withoutPsapi) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  PresentedWindows presented(FileNameOf(self), release, withoutPsapi);
  if (!presented.ok()) {
    std::fprintf(stderr, "cannot set the Windows release for %s\n", self);
    return 2;
  }
  SetEnvironmentVariableA("QOR_PRESENTED_RELEASE", release.c_str());
  const RunResult run = RunCommandLine(GetCommandLineA(), 280000, GetStdHandle(STD_OUTPUT_HANDLE));
  if (!run.started) {
    std::fprintf(stderr, "the second instance did not start (error %lu): %s\n",
                 static_cast<unsigned long>(run.startError), GetCommandLineA());
  } else if (!run.finished) {
    std::fprintf(stderr, "the second instance did not end within the time allowed\n");
  }
  return run.finished ? static_cast<int>(run.exitCode) : 2;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  std::string release;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--windows=", 10) == 0) release = argv[i] + 10;
    if (std::strcmp(argv[i], "--without-psapi") == 0) gWithoutPsapi = true;
  }
  if (!release.empty()) {
    const Release* known = FindRelease(release);
    if (known == nullptr) {
      std::fprintf(stderr, "unknown release %s\n", release.c_str());
      return 2;
    }
    char presented[32] = {};
    GetEnvironmentVariableA("QOR_PRESENTED_RELEASE", presented, sizeof presented);
    if (release != presented) return RunUnderRelease(release, gWithoutPsapi);
    gExpectedCode = known->code;
  }
  return RUN_ALL_TESTS();
}
