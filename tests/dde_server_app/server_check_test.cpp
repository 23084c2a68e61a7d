// EnsureDdeServerRunning called in this process, under the Windows release
// Wine presents to it, for what a run of qor.exe cannot show: the command
// line of each start, the forms of a path, the handles left open. Started
// with --windows=RELEASE, the program has Wine present that release to a
// second instance of itself, which runs the tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "ensure_server_running.h"
#include "file_presence.h"
#include "qor_e2e.h"
#include "qor_state.h"
#include "stand_in.h"
#include "system_state.h"
#include "watched_run.h"
#include "windows_version.h"

using namespace e2e;

namespace {

// The code GetWindowsVersionCode must give for the release this instance runs
// under; -1 when none was asked for.
int gExpectedCode = -1;

bool ListScan() { return gExpectedCode >= 4 && gExpectedCode <= 6; }
bool SnapshotScan() { return gExpectedCode >= 1 && gExpectedCode <= 3; }

// The check with the trace on and every box answered.
struct CheckRun {
  bool result = false;
  std::vector<SeenBox> boxes;
  Lines trace;
};

CheckRun Check(const std::string& path) {
  CheckRun check;
  TraceOn = true;
  const WatchedRun watched = Watch([&] {
    check.result = EnsureDdeServerRunning(path);
    return RunResult{};
  });
  TraceOn = false;
  check.boxes = watched.boxes;
  check.trace = watched.trace;
  return check;
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

// An icon handle means something only in its own process: which icon the
// box shows is told here, the rest of the box through qor.exe.
TEST_F(ServerCheck, MissingExecutableBoxShowsTheStopIcon) {
  if (gExpectedCode == 0) GTEST_SKIP() << "no scan and no start on this release";
  const CheckRun run = Check(dir_ / "dravo.exe");
  EXPECT_FALSE(run.result);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].icon, LoadIconA(nullptr, IDI_HAND));
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
  Check(missing);
  const int before = OpenHandles();
  ASSERT_GT(before, 0);
  size_t boxes = 0;
  for (int i = 0; i < 5; ++i) {
    const CheckRun run = Check(missing);
    EXPECT_FALSE(run.result);
    boxes += run.boxes.size();
  }
  // A sought path other than the running one's: never found, started each time.
  const std::string other = dir_.path() + "\\.\\" + FileNameOf(server.path());
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(EnsureDdeServerRunning(other));
  const int after = OpenHandles();
  EXPECT_EQ(boxes, 5u);
  EXPECT_EQ(StartRecords(server.path(), 3).size(), 3u);
  EXPECT_EQ(after, before) << "scan handles, snapshots and the started process and thread";
}

// Runs this program again under `release`, passing its arguments on, and
// returns that run's exit code.
int RunUnderRelease(const std::string& release) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  PresentedWindows presented(FileNameOf(self), release);
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
  }
  if (!release.empty()) {
    const Release* known = FindRelease(release);
    if (known == nullptr) {
      std::fprintf(stderr, "unknown release %s\n", release.c_str());
      return 2;
    }
    char presented[32] = {};
    GetEnvironmentVariableA("QOR_PRESENTED_RELEASE", presented, sizeof presented);
    if (release != presented) return RunUnderRelease(release);
    gExpectedCode = known->code;
  }
  return RUN_ALL_TESTS();
}
