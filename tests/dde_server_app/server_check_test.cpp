// EnsureDdeServerRunning and LocateCompanionPath called in this process, under
// the Windows release Wine presents to it. Started with --windows=RELEASE
// (and --without-psapi), the program has Wine present that release to a
// second instance of itself, which runs the tests.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "dde_server.h"
#include "qor_e2e.h"
#include "qor_state.h"
#include "server_app_support.h"

using e2e::TempDir;
using Lines = std::vector<std::string>;

namespace {

// The code GetWindowsVersionCode must give for the release this instance runs
// under; -1 when none was asked for.
int gExpectedCode = -1;
bool gWithoutPsapi = false;

const std::map<std::string, int> kCodes = {
    {"win95", 1}, {"win98", 2}, {"winme", 3},   {"nt40", 4},
    {"win2k", 5}, {"winxp", 6}, {"win2003", 0}, {"win7", 0},
};

bool ListScan() { return gExpectedCode >= 4 && gExpectedCode <= 6; }
bool SnapshotScan() { return gExpectedCode >= 1 && gExpectedCode <= 3; }

std::string OwnExeName() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return sat::FileNameOf(path);
}

// The check with the trace on and every box answered.
struct CheckRun {
  bool result = false;
  std::vector<sat::SeenBox> boxes;
  Lines trace;
};

CheckRun Check(const std::string& path) {
  e2e::SetTrace(e2e::Trace::On);
  TraceOn = true;
  CheckRun run;
  sat::BoxWatcher watcher;
  run.result = EnsureDdeServerRunning(path);
  run.boxes = watcher.Stop();
  run.trace = e2e::TraceMessages();
  TraceOn = false;
  e2e::SetTrace(e2e::Trace::Off);
  return run;
}

// A copy of the stand-in server with a file name of its own.
class ServerCopy {
 public:
  explicit ServerCopy(const TempDir& dir, const std::string& name)
      : path_(dir / name) {}
  ~ServerCopy() { sat::EndServers(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

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

std::string UniqueName(const char* stem) {
  static int counter = 0;
  return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(counter++) + ".exe";
}

class ServerCheck : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(gExpectedCode, -1) << "run with --windows=RELEASE";
  }
  TempDir dir_;
};

TEST_F(ServerCheck, VersionCodeOfThePresentedRelease) {
  EXPECT_EQ(GetWindowsVersionCode(), gExpectedCode);
}

TEST_F(ServerCheck, MissingServerIsStartedAsItsPathWithoutFocus) {
  ServerCopy server(dir_, UniqueName("SrvStart"));
  ASSERT_TRUE(sat::PlaceServer(server.path()));
  const CheckRun run = Check(server.path());
  EXPECT_TRUE(run.result);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(run.trace, Lines{}) << "a start is not traced";
  if (gExpectedCode == 0) {
    EXPECT_TRUE(sat::ProcessesOf(server.path()).empty()) << "no scan, no start on this release";
    return;
  }
  // CreateProcessA has returned: the process exists already.
  EXPECT_EQ(sat::ProcessesOf(server.path()).size(), 1u);
  const Lines records = sat::StartRecords(server.path(), 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], "command line=\"" + server.path() + "\"\r\nshow flag=1\r\nshow=4\r\n")
      << "the path quoted, nothing added, SW_SHOWNOACTIVATE";
}

TEST_F(ServerCheck, PathWithABlankStartsThatFileAndNoShorterOne) {
  if (gExpectedCode == 0) GTEST_SKIP() << "no scan and no start on this release";
  // As a command line, "<dir>\Pro-... gram\Srv-....exe" would start
  // "<dir>\Pro-....exe", which exists too.
  const std::string name = UniqueName("Pro");
  ServerCopy shorter(dir_, name);
  ServerCopy server(dir_, name.substr(0, name.size() - 4) + " gram\\" + UniqueName("Srv"));
  ASSERT_TRUE(sat::PlaceServer(shorter.path()));
  ASSERT_TRUE(sat::PlaceServer(server.path()));
  const CheckRun run = Check(server.path());
  EXPECT_TRUE(run.result);
  EXPECT_TRUE(run.boxes.empty());
  const Lines records = sat::StartRecords(server.path(), 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], "command line=\"" + server.path() + "\"\r\nshow flag=1\r\nshow=4\r\n");
  EXPECT_TRUE(sat::ProcessesOf(shorter.path()).empty()) << "a program nobody named was started";
}

TEST_F(ServerCheck, RunningServerInOtherLetterCaseIsNotStartedAgain) {
  ServerCopy server(dir_, UniqueName("SrvRun"));
  ASSERT_TRUE(sat::PlaceServer(server.path()));
  ASSERT_TRUE(sat::StartServerDirectly(server.path()));
  ASSERT_EQ(sat::ProcessesOf(server.path()).size(), 1u);

  // The path under which the running server is listed: its full path in the
  // process list; in a snapshot what szExeFile holds (a full path on Windows
  // 9x, only the file name under Wine).
  std::string listed = server.path();
  if (SnapshotScan()) listed = sat::FileNameOf(server.path());
  const CheckRun run = Check(sat::SwapCase(listed));
  EXPECT_TRUE(run.result);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(run.trace, Lines{});
  EXPECT_EQ(sat::ProcessesOf(server.path()).size(), 1u) << "found, so not started again";
  EXPECT_EQ(sat::StartRecords(server.path(), 1).size(), 1u);
}

TEST_F(ServerCheck, ServerUnderAnotherFormOfItsPathIsStartedAgain) {
  if (!ListScan()) GTEST_SKIP() << "only the process list reports full paths under Wine";
  ServerCopy server(dir_, UniqueName("SrvForm"));
  ASSERT_TRUE(sat::PlaceServer(server.path()));
  ASSERT_TRUE(sat::StartServerDirectly(server.path()));
  // The same file through a path with "." in it: no normalisation, no match.
  const std::string other = dir_.path() + "\\.\\" + sat::FileNameOf(server.path());
  const CheckRun run = Check(other);
  EXPECT_TRUE(run.result);
  EXPECT_EQ(sat::ProcessesOf(server.path()).size(), 2u);
  EXPECT_EQ(sat::StartRecords(server.path(), 2).size(), 2u);
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
    EXPECT_TRUE(run.boxes[0].okButtonOnly);
    EXPECT_EQ(run.boxes[0].icon, LoadIconA(nullptr, IDI_HAND)) << "the stop icon";
    EXPECT_EQ(run.trace, Lines{message});
  }
}

TEST_F(ServerCheck, NameWithoutDirectoryIsNeverFoundAndStartedEveryTime) {
  if (gExpectedCode == 0) GTEST_SKIP() << "no scan and no start on this release";
  const std::string name = UniqueName("qor-nirgends");
  CheckRun run = Check(name);
  EXPECT_FALSE(run.result);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, "DDE-Anwendung " + name + " Datei nicht gefunden");
  EXPECT_EQ(run.trace, Lines{"DDE-Anwendung " + name + " Datei nicht gefunden"});
}

TEST_F(ServerCheck, ProcessHandlesAreAllClosedTheMatchingOneToo) {
  if (gExpectedCode == 0) GTEST_SKIP() << "nothing is opened on this release";
  ServerCopy server(dir_, UniqueName("SrvHandles"));
  ASSERT_TRUE(sat::PlaceServer(server.path()));
  ASSERT_TRUE(sat::StartServerDirectly(server.path()));
  const std::string listed =
      SnapshotScan() ? sat::FileNameOf(server.path()) : server.path();
  ASSERT_TRUE(EnsureDdeServerRunning(listed));  // binds what the scan needs

  const int before = OpenHandles();
  ASSERT_GT(before, 0);
  for (int i = 0; i < 25; ++i) {
    ASSERT_TRUE(EnsureDdeServerRunning(listed));  // found: the scan stops at the match
  }
  const int after = OpenHandles();
  EXPECT_EQ(after, before);
  EXPECT_EQ(sat::ProcessesOf(server.path()).size(), 1u);
}

TEST_F(ServerCheck, ScansWithoutMatchAndStartsLeaveNoHandleOpen) {
  if (gExpectedCode == 0) GTEST_SKIP() << "nothing is opened on this release";
  const std::string missing = dir_ / "da.exe";
  ServerCopy server(dir_, UniqueName("SrvStarts"));
  ASSERT_TRUE(sat::PlaceServer(server.path()));
  {
    sat::BoxWatcher watcher;
    EnsureDdeServerRunning(missing);
  }
  const int before = OpenHandles();
  ASSERT_GT(before, 0);
  size_t boxes = 0;
  for (int i = 0; i < 5; ++i) {
    sat::BoxWatcher watcher;
    EXPECT_FALSE(EnsureDdeServerRunning(missing));
    boxes += watcher.Stop().size();
  }
  // A sought path other than the running one's: never found, started each time.
  const std::string other = dir_.path() + "\\.\\" + sat::FileNameOf(server.path());
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(EnsureDdeServerRunning(other));
  const int after = OpenHandles();
  EXPECT_EQ(boxes, 5u);
  EXPECT_EQ(sat::StartRecords(server.path(), 3).size(), 3u);
  EXPECT_EQ(after, before) << "scan handles, snapshots and the started process and thread";
}

TEST(NoPsapi, ProcessListThatCannotBeBoundShowsTheBoxAndStartsNothing) {
  ASSERT_TRUE(gWithoutPsapi) << "run with --windows=nt40 --without-psapi";
  ASSERT_EQ(GetWindowsVersionCode(), 4);
  TempDir dir;
  ServerCopy server(dir, UniqueName("SrvNt4"));
  ASSERT_TRUE(sat::PlaceServer(server.path()));
  const CheckRun run = Check(server.path());
  EXPECT_FALSE(run.result);
  ASSERT_EQ(run.boxes.size(), 1u);
  const std::string message = "DDE-Anwendung " + server.path() + " Fehler beim Laden einer DLL";
  EXPECT_EQ(run.boxes[0].text, message);
  EXPECT_EQ(run.trace, Lines{message});
  EXPECT_TRUE(sat::ProcessesOf(server.path()).empty());
  // The failure is remembered: a second block fails the same way.
  const CheckRun again = Check(server.path());
  EXPECT_FALSE(again.result);
  ASSERT_EQ(again.boxes.size(), 1u);
  EXPECT_EQ(again.boxes[0].text, message);
}

// LocateCompanionPath, with ZIRARUDAZADER.INI put back afterwards.
class Companion : public testing::Test {
 protected:
  std::string Locate(const std::string& ini) {
    if (!ini.empty()) {
      EXPECT_TRUE(ini_.Write(ini));
    }
    JobBlock.DdeService = "hulintern";
    LocateCompanionPath();
    return JobBlock.DdeService;
  }
  static std::string WorkingData(const std::string& value) {
    return "[ZIRARUDAZADER]\r\nworking_data=" + value + "\r\n";
  }
  static std::string OwnDravo() { return e2e::BinDir() + "\\dravo.exe"; }
  sat::CompanionIni ini_;
};

TEST_F(Companion, BinBesideTheFirstWork) {
  EXPECT_EQ(Locate(WorkingData("D:\\Bib\\work\\daten")), "D:\\Bib\\bin\\dravo.exe");
  EXPECT_EQ(Locate(WorkingData("C:\\x\\work\\app\\work\\d")), "C:\\x\\bin\\dravo.exe");
  EXPECT_EQ(Locate(WorkingData("C:\\workspace\\x")), "C:\\bin\\dravo.exe");
  EXPECT_EQ(Locate("[Andere]\r\nworking_data=X:\\a\r\n[ZIRARUDAZADER]\r\nworking_data =  "
                   "E:\\Bib\\work  \r\n"),
            "E:\\Bib\\bin\\dravo.exe")
      << "only the section ZIRARUDAZADER counts";
}

TEST_F(Companion, WithoutUsableWorkTheProgramsOwnDirectory) {
  EXPECT_EQ(Locate(WorkingData("D:\\Bib\\Work\\daten")), OwnDravo());
  EXPECT_EQ(Locate(WorkingData("\\work\\daten")), OwnDravo());
  EXPECT_EQ(Locate(WorkingData("")), OwnDravo());
  EXPECT_EQ(Locate("[ZIRARUDAZADER]\r\nanderes=D:\\Bib\\work\r\n"), OwnDravo());
}

TEST_F(Companion, LongValueIsCutToTheProfileBuffer) {
  // 149 characters fit; "\work" behind them is not seen.
  const std::string longDir = "C:\\" + std::string(146, 'a');
  EXPECT_EQ(Locate(WorkingData(longDir + "\\work\\d")), OwnDravo());
  const std::string fits = "C:\\" + std::string(100, 'b');
  EXPECT_EQ(Locate(WorkingData(fits + "\\work\\" + std::string(80, 'c'))),
            fits + "\\bin\\dravo.exe");
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
  sat::PresentedWindows presented(OwnExeName(), release, withoutPsapi);
  if (!presented.ok()) {
    std::fprintf(stderr, "cannot set the Windows release for %s\n", OwnExeName().c_str());
    return 2;
  }
  SetEnvironmentVariableA("QOR_PRESENTED_RELEASE", release.c_str());
  std::string commandLine = GetCommandLineA();
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION child{};
  if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &child)) {
    std::fprintf(stderr, "cannot start the second instance: %lu\n", GetLastError());
    return 2;
  }
  CloseHandle(child.hThread);
  DWORD code = 2;
  if (WaitForSingleObject(child.hProcess, 280000) != WAIT_OBJECT_0) {
    TerminateProcess(child.hProcess, 2);
    std::fprintf(stderr, "the second instance did not end\n");
  }
  GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hProcess);
  return static_cast<int>(code);
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
    const auto code = kCodes.find(release);
    if (code == kCodes.end()) {
      std::fprintf(stderr, "unknown release %s\n", release.c_str());
      return 2;
    }
    char presented[32] = {};
    GetEnvironmentVariableA("QOR_PRESENTED_RELEASE", presented, sizeof presented);
    if (release != presented) return RunUnderRelease(release, gWithoutPsapi);
    gExpectedCode = code->second;
  }
  return RUN_ALL_TESTS();
}
