// The file target of the real qor.exe: payloads replace or extend their files
// byte for byte, missing directories are created, and failures show in the
// trace log exactly and only while tracing is on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "qor_e2e.h"

using namespace e2e;

namespace {

void RunTraced(const TempDir& dir, const std::string& job) {
  SetTrace(Trace::On);
  const RunResult run = RunJob(dir, job);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
}

// Files of a scratch directory: name and bytes.
using Files = std::vector<std::pair<std::string, std::string>>;

struct Block {
  std::string name;
  std::string payload;
  bool append;
};

// Each case's blocks write into a scratch directory that holds `before`;
// afterwards it holds `after`, and nothing failed.
TEST(FileTarget, PayloadsReplaceOrExtendTheirFilesByteForByte) {
  // Every byte value, the NUL and the upper half included; the payload must
  // not begin or end with a blank, which the parser trims.
  std::string bytes = "<";
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  bytes += "\r\n\304\326\334\344\366\374\337\x80\x00\xFF>";
  const std::string nulAndFF("\x00\xFF", 2);
  const struct {
    const char* what;
    Files before;
    std::vector<Block> blocks;
    Files after;
  } cases[] = {
      {"a save replaces a longer file wholly",
       {{"liste.txt", "alter, viel l\344ngerer Inhalt\r\n"}},
       {{"liste.txt", "neu", false}},
       {{"liste.txt", "neu"}}},
      {"a zero-byte file is written from its start",
       {{"leer1.txt", ""}, {"leer2.txt", ""}},
       {{"leer1.txt", "eins", false}, {"leer2.txt", "zwei", true}},
       {{"leer1.txt", "eins"}, {"leer2.txt", "zwei"}}},
      {"an append creates a missing file, extends an existing one with nothing between",
       {{"zehn.txt", "0123456789"}},
       {{"neu.txt", "Anfang", true}, {"zehn.txt", "ab Byte 11", true}},
       {{"neu.txt", "Anfang"}, {"zehn.txt", "0123456789ab Byte 11"}}},
      {"blocks append one after another with their own line ends",
       {},
       {{"sammel.txt", "Kopf", false},
        {"sammel.txt", "\r\nZeile 1\r\n", true},
        {"sammel.txt", "Zeile 2", true},
        {"sammel.txt", "\r\nEnde\r\n", true}},
       {{"sammel.txt", "Kopf\r\nZeile 1\r\nZeile 2\r\nEnde\r\n"}}},
      {"every byte arrives unchanged",
       {{"bytes2.bin", nulAndFF}},
       {{"bytes1.bin", bytes, false}, {"bytes2.bin", bytes, true}},
       {{"bytes1.bin", bytes}, {"bytes2.bin", nulAndFF + bytes}}},
      // CreateDirectoryA makes one level at a time: the file lands only when
      // the levels were made outermost first. A successful second open
      // traces nothing.
      {"missing directory levels are created one by one",
       {},
       {{"a\\b\\c\\f.txt", "tief", false}, {"x\\y\\z\\g.txt", "angeh\344ngt", true}},
       {{"a\\b\\c\\f.txt", "tief"}, {"x\\y\\z\\g.txt", "angeh\344ngt"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    for (const auto& [name, content] : c.before) ASSERT_TRUE(WriteFileBytes(dir / name, content));
    std::string job;
    for (const Block& b : c.blocks) job += FileBlock(dir / b.name, b.payload, b.append);
    RunTraced(dir, job);
    for (const auto& [name, content] : c.after) EXPECT_EQ(Content(dir / name), content) << name;
    EXPECT_EQ(TraceMessages(), RunLines(dir));
  }
}

TEST(FileTarget, FileBelowADriveRootCreatesNothing) {
  TempDir dir;
  const std::string target = "C:\\qor-e2e-" + std::to_string(GetCurrentProcessId()) + ".txt";
  RunTraced(dir, FileBlock(target, "Wurzel"));
  EXPECT_EQ(Content(target), "Wurzel");
  DeleteFileA(target.c_str());
  EXPECT_EQ(TraceMessages(), RunLines(dir));
}

TEST(FileTarget, RelativeNamesResolveAgainstTheCurrentDirectory) {
  TempDir dir;
  const std::string job = FileBlock("hier.txt", "hier") + FileBlock("abc\\de\\f.txt", "vier") +
                          FileBlock("ab\\cd\\f.txt", "zu kurz");
  ASSERT_TRUE(WriteFileBytes(dir / "job.qor", job));
  SetTrace(Trace::On);
  ASSERT_TRUE(RunQorIn(dir.path(), dir / "job.qor").finished);
  EXPECT_EQ(Content(dir / "hier.txt"), "hier");
  EXPECT_EQ(Content(dir / "abc\\de\\f.txt"), "vier") << "abc\\ is long enough to be created";
  // ab\ has three characters and is never created, so neither is ab\cd.
  EXPECT_FALSE(DirectoryExists(dir / "ab"));
  EXPECT_EQ(TraceMessages(),
            RunLines(dir, {SaveFailureLine("ab\\cd\\f.txt", " 76 Pfad nicht gefunden")}));
}

// A name that is a directory is no file: save and append fail, and what the
// directory holds stays. A name ending in a backslash gets its directory made
// and fails too.
TEST(FileTarget, DirectoryNamesFailAndTheDirectoriesStay) {
  TempDir dir;
  const std::string sub = dir / "ordner";
  const std::string name = dir / "neu\\";
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(sub + "\\drin.txt", "bleibt"));
  RunTraced(dir,
            FileBlock(sub, "x") + FileBlock(sub, "y", true) + FileBlock(name, "ohne Dateinamen"));
  EXPECT_EQ(Content(sub + "\\drin.txt"), "bleibt");
  EXPECT_TRUE(DirectoryExists(dir / "neu"));
  const std::string denied = " Fehler beim Zugriff auf Pfad/Datei";
  EXPECT_EQ(TraceMessages(), RunLines(dir, {SaveFailureLine(sub, " 75" + denied),
                                            AppendFailureLine(sub, " 75:" + denied),
                                            SaveFailureLine(name, " 75" + denied)}));
}

TEST(FileTarget, ForwardSlashesOpenButCreateNoDirectory) {
  TempDir dir;
  std::string slashed = dir.path();
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  const std::string present = slashed + "/vorhanden.txt";
  const std::string missing = slashed + "/fehlt/f.txt";
  RunTraced(dir, FileBlock(present, "geht") + FileBlock(missing, "geht nicht"));
  EXPECT_EQ(Content(dir / "vorhanden.txt"), "geht");
  EXPECT_FALSE(DirectoryExists(dir / "fehlt"));
  EXPECT_EQ(TraceMessages(), RunLines(dir, {SaveFailureLine(missing, " 76 Pfad nicht gefunden")}));
}

// A file that another program holds without sharing cannot be opened: the
// failure reaches the trace log and the file is left as it was.
TEST(FileTarget, FileHeldExclusivelyByAnotherProgramIsTracedAndKept) {
  TempDir dir;
  const std::string target = dir / "gesperrt.txt";
  ASSERT_TRUE(WriteFileBytes(target, "alt"));
  HANDLE held = CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  RunTraced(dir, FileBlock(target, "neu") + FileBlock(target, "dazu", true));
  CloseHandle(held);
  EXPECT_EQ(Content(target), "alt");
  EXPECT_EQ(TraceMessages(), RunLines(dir, {SaveFailureLine(target, " 70 Zugriff verweigert"),
                                            AppendFailureLine(target, " 70: Zugriff verweigert")}));
}

// Held open by a reader, the old file gets the new content: replaced where
// the reader allows deleting, else written in place and cut where the payload
// ends. A reader that allows deleting once left the file delete-pending, so
// that nothing was written and the file went when the reader closed it.
TEST(FileTarget, OldFileHeldOpenByAReaderGetsTheNewContent) {
  for (const DWORD sharing : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE},
                              DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
    SCOPED_TRACE(sharing);
    TempDir dir;
    const std::string target = dir / "offen.txt";
    ASSERT_TRUE(WriteFileBytes(target, "ein alter Inhalt, l\344nger als der neue"));
    HANDLE reader =
        CreateFileA(target.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    RunTraced(dir, FileBlock(target, "kurz"));
    CloseHandle(reader);
    EXPECT_EQ(Content(target), "kurz");
    EXPECT_EQ(TraceMessages(), RunLines(dir));
  }
}

// A person starts a second export to the same file while the first is still
// appending: every block of both lands whole, none overwrites another.
TEST(FileTarget, OverlappingRunsAppendEveryBlockWhole) {
  TempDir dir;
  const std::string target = dir / "gemeinsam.txt";
  constexpr int kBlocks = 2000;
  constexpr size_t kBlockSize = 1000;
  const auto payload = [](char run, int number) {
    char head[8];
    std::snprintf(head, sizeof head, "%c%04d", run, number);
    return head + std::string(kBlockSize - 7, static_cast<char>(run + 32)) + "\r\n";
  };
  for (const char run : {'A', 'B'}) {
    std::string job;
    for (int i = 0; i < kBlocks; ++i) job += FileBlock(target, payload(run, i), true);
    ASSERT_TRUE(WriteFileBytes(dir / std::string(1, run) + ".qor", job));
  }
  SetTrace(Trace::Off);
  for (const RunResult& run : RunQorAtOnce({dir / "A.qor", dir / "B.qor"}, 300000)) {
    ASSERT_TRUE(run.finished);
  }
  const std::string content = Content(target);
  ASSERT_EQ(content.size(), 2 * kBlocks * kBlockSize);
  int next[2] = {0, 0};
  int switches = 0;
  char last = 'A';
  for (size_t at = 0; at < content.size(); at += kBlockSize) {
    const char run = content[at];
    ASSERT_TRUE(run == 'A' || run == 'B') << "block at byte " << at;
    int& number = next[run - 'A'];
    ASSERT_EQ(content.compare(at, kBlockSize, payload(run, number)), 0)
        << "block at byte " << at << " is not block " << number << " of run " << run;
    ++number;
    if (at > 0 && run != last) ++switches;
    last = run;
  }
  EXPECT_EQ(next[0], kBlocks);
  EXPECT_EQ(next[1], kBlocks);
  EXPECT_GT(switches, 1) << "the runs did not overlap";
}

// Another program that keeps the appending runs' turn for itself makes the
// block fail after a bounded wait; the file stays as it was and the next
// block is delivered.
TEST(FileTarget, AppendThatNeverGetsItsTurnFailsAfterTheBound) {
  TempDir dir;
  const std::string target = dir / "daten.txt";
  ASSERT_TRUE(WriteFileBytes(target, "Satz 1\r\n"));
  HeldTurn other(target);
  ASSERT_TRUE(other.held());
  SetTrace(Trace::On);
  const RunResult run =
      RunJob(dir, FileBlock(target, "Satz 2", true) + FileBlock(dir / "danach.txt", "weiter"));
  other.release();
  ASSERT_TRUE(run.finished);
  EXPECT_GE(run.elapsedMs, 9500u) << "waited for the turn";
  EXPECT_EQ(Content(target), "Satz 1\r\n");
  EXPECT_EQ(Content(dir / "danach.txt"), "weiter");
  EXPECT_EQ(TraceMessages(), RunLines(dir, {AppendFailureLine(target, " 70: Zugriff verweigert")}));
}

TEST(FileTarget, WithTracingOffFailuresLeaveNoTraceAndDeliveriesStillHappen) {
  TempDir dir;
  const std::string sub = dir / "ordner";
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  const std::string target = dir / "t.txt";
  for (Trace mode : {Trace::Off, Trace::ZeroBytes}) {
    SetTrace(mode);
    ASSERT_TRUE(RunJob(dir, FileBlock(sub, "x") + FileBlock(sub, "y", true) +
                                FileBlock(dir / "neu\\", "z") + FileBlock(target, "da"))
                    .finished);
    EXPECT_FALSE(FileExists(kTraceLog)) << "mode " << static_cast<int>(mode);
    EXPECT_EQ(Content(target), "da");
    DeleteFileA(target.c_str());
  }
  SetTrace(Trace::Off);
}

}  // namespace
