// Answers that other Windows releases, or other programs, give and Wine does
// not: played by the failure plan of qor_faults.exe (QOR_FAULTS, see
// delivery/fault_plan.h), the same program as qor.exe in every other respect.
#include <gtest/gtest.h>

#include <thread>

#include "clipboard.h"
#include "qor_e2e.h"
#include "watched_run.h"

using namespace e2e;

namespace {

// A scratch directory with a liste.txt of "alte Liste" and a job that saves
// "neue Liste" over it.
struct OldList : Uncopyable {
  TempDir dir;
  const std::string target = dir / "liste.txt";
  const std::string job = dir / "job.qor";
  bool written() const {
    return WriteFileBytes(target, "alte Liste") &&
           WriteFileBytes(job, FileBlock(target, "neue Liste"));
  }
};

// The file's identity: the same while it is written in place, another once a
// new file was renamed into its place.
uint64_t FileIdentity(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  if (h != INVALID_HANDLE_VALUE) {
    GetFileInformationByHandle(h, &info);
    CloseHandle(h);
  }
  return (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
}

// A scanner or indexer holding the fresh file refuses the replace for a
// moment: it is asked again (5 times in all) before the save falls back to
// writing in place; other refusals are not asked again.
TEST(ReleaseAnswers, ReplaceRefusedForAMomentIsAskedAgain) {
  const struct {
    const char* plan;
    bool renamed;
  } cases[] = {
      {"MoveFileExA:1-4=5", true},   // ERROR_ACCESS_DENIED four times
      {"MoveFileExA:1-4=32", true},  // ERROR_SHARING_VIOLATION four times
      {"MoveFileExA:1-5=5", false},  // still refused after the fifth
      {"MoveFileExA:1=17", false},   // ERROR_NOT_SAME_DEVICE: not asked again
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plan);
    const OldList list;
    ASSERT_TRUE(list.written());
    const uint64_t before = FileIdentity(list.target);
    SetTrace(Trace::On);
    ASSERT_TRUE(RunWithPlan({c.plan}, list.job).finished);
    EXPECT_EQ(Content(list.target), "neue Liste");
    EXPECT_EQ(FileIdentity(list.target) != before, c.renamed) << "renamed into place, or in place";
    EXPECT_EQ(Listing(list.dir / "*"), (Lines{"job.qor", "liste.txt"})) << "no temporary file left";
    EXPECT_EQ(TraceMessages(), RunLines(list.dir));
  }
}

// Windows 95, 98 and Me refuse FILE_SHARE_DELETE (ERROR_INVALID_PARAMETER):
// the log is opened again without it and no line is lost. A run without an
// argument opens the trace switch (call 1), then the log once per line.
TEST(ReleaseAnswers, TraceLogOpenedWithoutDeleteSharingWhereThatIsRefused) {
  SetTrace(Trace::On);
  ASSERT_TRUE(RunWithPlan({"CreateFileA:2=87;CreateFileA:4=87;CreateFileA:6=87"}, "").finished);
  EXPECT_EQ(TraceMessages(),
            StartLines("", {"Parameterliste ist leer! Der Aufruf soll lauten: qor.exe Dateiname"}));
}

// Windows 95, 98 and Me refuse a lock at byte 2^62 (ERROR_INVALID_PARAMETER):
// the append then takes its turn on byte 2^32 - 2 and waits while another run
// holds that one, instead of writing without a turn.
TEST(ReleaseAnswers, AppendTakesTheNearTurnWhereTheFarOneIsRefused) {
  TempDir dir;
  const std::string target = dir / "liste.txt";
  ASSERT_TRUE(WriteFileBytes(target, "alt"));
  ASSERT_TRUE(WriteFileBytes(
      dir / "job.qor", FileBlock(dir / "eins.txt", "eins") + FileBlock(target, "+neu", true)));
  HeldTurn other(target, HeldTurn::kNear);
  ASSERT_TRUE(other.held()) << "another run's turn";
  SetTrace(Trace::Off);
  RunResult run;
  std::thread runner([&] { run = RunWithPlan({"LockFile:1=87"}, dir / "job.qor"); });
  const bool started = WaitFor([&] { return FileExists(dir / "eins.txt"); }, 20000);
  const bool appendedDuringTheTurn = WaitFor([&] { return Content(target) != "alt"; }, 500);
  other.release();
  runner.join();
  EXPECT_TRUE(started);
  EXPECT_FALSE(appendedDuringTheTurn) << "written while another run had its turn";
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(Content(target), "alt+neu");
}

// A file system without locks (a share that answers ERROR_NOT_SUPPORTED to
// every lock): the trace log and the append go on without their turn rather
// than fail.
TEST(ReleaseAnswers, WhereFilesCannotBeLockedAppendAndTraceGoOnWithoutATurn) {
  TempDir dir;
  const std::string target = dir / "liste.txt";
  ASSERT_TRUE(WriteFileBytes(target, "alt"));
  ASSERT_TRUE(WriteFileBytes(dir / "job.qor", FileBlock(target, "+neu", true)));
  SetTrace(Trace::On);
  ASSERT_TRUE(RunWithPlan({"LockFile:1+=50"}, dir / "job.qor").finished);
  EXPECT_EQ(Content(target), "alt+neu");
  EXPECT_EQ(TraceMessages(), RunLines(dir));
}

// Another program that holds the clipboard for a moment (the first three
// opens refused) does not cost the block: the open is asked again.
TEST(ReleaseAnswers, ClipboardHeldForAMomentIsAskedAgain) {
  TempDir dir;
  ASSERT_TRUE(PutBitmapAndText("vorher"));
  ASSERT_TRUE(WriteFileBytes(dir / "job.qor", ClipboardBlock("angekommen")));
  SetTrace(Trace::On);
  ASSERT_TRUE(RunWithPlan({"OpenClipboard:1-3=5"}, dir / "job.qor").finished);
  std::string text;
  ASSERT_TRUE(ClipboardText(text));
  EXPECT_EQ(text, "angekommen");
  EXPECT_EQ(TraceMessages(), RunLines(dir));
}

// Without MoveFileExA (Windows 95, 98 and Me) the old file is moved aside and
// the new one renamed into place, but only when no one has the old file open:
// Windows 95 moves and deletes open files, and their holder would go on with a
// file that is gone. A held file is written in place, so its holder sees the
// new content.
TEST(ReleaseAnswers, WithoutMoveFileExAHeldFileIsWrittenInPlace) {
  for (const bool held : {false, true}) {
    SCOPED_TRACE(held ? "held by another program" : "not held");
    const OldList list;
    ASSERT_TRUE(list.written());
    const uint64_t before = FileIdentity(list.target);
    HANDLE holder = held ? CreateFileA(list.target.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr)
                         : INVALID_HANDLE_VALUE;
    SetTrace(Trace::On);
    ASSERT_TRUE(RunWithPlan({"MoveFileExA:1+=120"}, list.job).finished);
    std::string seen(32, '\0');
    DWORD got = 0;
    if (holder != INVALID_HANDLE_VALUE) {
      ReadFile(holder, &seen[0], static_cast<DWORD>(seen.size()), &got, nullptr);
      CloseHandle(holder);
    }
    EXPECT_EQ(Content(list.target), "neue Liste");
    EXPECT_EQ(FileIdentity(list.target) == before, held);
    if (held) {
      EXPECT_EQ(seen.substr(0, got), "neue Liste") << "what its holder reads";
    }
    EXPECT_EQ(Listing(list.dir / "*"), (Lines{"job.qor", "liste.txt"}));
    EXPECT_EQ(TraceMessages(), RunLines(list.dir));
  }
}

// Without MoveFileExA the old file is moved aside before the new content takes
// its name. Whatever is refused on the way, the name ends with the old or the
// new content, and when even the way back is refused and the file cannot be
// written anew, the old content is kept beside it; otherwise nothing is left.
TEST(ReleaseAnswers, WithoutMoveFileExAOldFileIsKeptUntilTheNewHasItsName) {
  const struct {
    const char* plan;    // the trace is off: the first write fills the temporary file
    const char* left;    // what the file holds afterwards, or "<none>"
    const char* beside;  // what a file left beside it holds, or "" for none
  } cases[] = {
      // the old file cannot be moved aside: it is written in place
      {"MoveFileExA:1+=120;MoveFileA:1=5", "neue Liste", ""},
      {"MoveFileExA:1+=120;MoveFileA:1=32;WriteFile:2=112", "alte Liste", ""},
      // the new content's rename refused: the old file goes back, then in place
      {"MoveFileExA:1+=120;MoveFileA:2=32", "neue Liste", ""},
      {"MoveFileExA:1+=120;MoveFileA:2=32;WriteFile:2=112", "alte Liste", ""},
      // the way back refused too: written anew, the old content given up only then
      {"MoveFileExA:1+=120;MoveFileA:2-3=32", "neue Liste", ""},
      {"MoveFileExA:1+=120;MoveFileA:2-3=32;WriteFile:2=112", "<none>", "alte Liste"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plan);
    const OldList list;
    ASSERT_TRUE(list.written());
    SetTrace(Trace::Off);
    ASSERT_TRUE(RunWithPlan({c.plan}, list.job).finished);
    std::string content;
    EXPECT_EQ(ReadFileBytes(list.target, content) ? content : "<none>", c.left);
    const Lines beside = Listing(list.dir / "~qor*");
    if (*c.beside == '\0') {
      EXPECT_EQ(beside, Lines{}) << "no temporary file left";
    } else {
      ASSERT_EQ(beside.size(), 1u);
      EXPECT_EQ(Content(list.dir / beside[0]), c.beside);
    }
  }
}

}  // namespace
