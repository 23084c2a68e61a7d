// The file target of the real qor.exe: payloads replace or extend their files
// byte for byte, missing directories are created, and failures show in the
// trace log exactly and only while tracing is on.
#include <gtest/gtest.h>

#include <cstdio>

#include "qor_e2e.h"

using e2e::FileBlock;
using e2e::RunLines;
using e2e::TempDir;
using e2e::Trace;
using Lines = std::vector<std::string>;

namespace {


std::string SaveFailure(const std::string& name, const std::string& numberAndText) {
  return name + " kann nicht gespeichert werden. Fehler " + numberAndText;
}

std::string AppendFailure(const std::string& name, const std::string& numberAndDescription) {
  return name + "  konnte nicht ge\xF6" "ffnet werden.  Fehler " + numberAndDescription;
}

std::string Content(const std::string& path) {
  std::string bytes;
  if (!e2e::ReadFileBytes(path, bytes)) return "<unreadable>";
  return bytes;
}

void RunTraced(const TempDir& dir, const std::string& job) {
  e2e::SetTrace(Trace::On);
  const e2e::RunResult run = e2e::RunJob(dir, job);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
}

TEST(FileTarget, SaveReplacesALongerFileWholly) {
  TempDir dir;
  const std::string target = dir / "liste.txt";
  ASSERT_TRUE(e2e::WriteFileBytes(target, "alter, viel l\xE4ngerer Inhalt\r\n"));
  RunTraced(dir, FileBlock(target, "neu"));
  EXPECT_EQ(Content(target), "neu");
  EXPECT_EQ(e2e::TraceMessages(), RunLines(dir));
}

TEST(FileTarget, ZeroByteFileIsWrittenFromTheStartBySaveAndAppend) {
  TempDir dir;
  const std::string saved = dir / "leer1.txt";
  const std::string appended = dir / "leer2.txt";
  ASSERT_TRUE(e2e::WriteFileBytes(saved, ""));
  ASSERT_TRUE(e2e::WriteFileBytes(appended, ""));
  RunTraced(dir, FileBlock(saved, "eins") + FileBlock(appended, "zwei", true));
  EXPECT_EQ(Content(saved), "eins");
  EXPECT_EQ(Content(appended), "zwei");
  EXPECT_EQ(e2e::TraceMessages(), RunLines(dir));
}

TEST(FileTarget, AppendCreatesAMissingFileAndExtendsAnExistingOne) {
  TempDir dir;
  const std::string missing = dir / "neu.txt";
  const std::string ten = dir / "zehn.txt";
  ASSERT_TRUE(e2e::WriteFileBytes(ten, "0123456789"));
  RunTraced(dir, FileBlock(missing, "Anfang", true) + FileBlock(ten, "ab Byte 11", true));
  EXPECT_EQ(Content(missing), "Anfang");
  EXPECT_EQ(Content(ten), "0123456789ab Byte 11") << "nothing inserted between old and new";
  EXPECT_EQ(e2e::TraceMessages(), RunLines(dir));
}

TEST(FileTarget, BlocksAppendOneAfterAnotherWithTheirOwnLineEnds) {
  TempDir dir;
  const std::string target = dir / "sammel.txt";
  RunTraced(dir, FileBlock(target, "Kopf") + FileBlock(target, "\r\nZeile 1\r\n", true) +
                     FileBlock(target, "Zeile 2", true) + FileBlock(target, "\r\nEnde\r\n", true));
  EXPECT_EQ(Content(target), "Kopf\r\nZeile 1\r\nZeile 2\r\nEnde\r\n");
}

TEST(FileTarget, PayloadBytesArriveUnchanged) {
  TempDir dir;
  // Every byte value, the NUL and the upper half included; the payload must
  // not begin or end with a blank, which the parser trims.
  std::string bytes = "<";
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  bytes += "\r\n\xC4\xD6\xDC\xE4\xF6\xFC\xDF\x80\x00\xFF>";
  const std::string saved = dir / "bytes1.bin";
  const std::string appended = dir / "bytes2.bin";
  ASSERT_TRUE(e2e::WriteFileBytes(appended, std::string("\x00\xFF", 2)));
  RunTraced(dir, FileBlock(saved, bytes) + FileBlock(appended, bytes, true));
  EXPECT_EQ(Content(saved), bytes);
  EXPECT_EQ(Content(appended), std::string("\x00\xFF", 2) + bytes);
}

TEST(FileTarget, MissingDirectoryLevelsAreCreatedOneByOne) {
  TempDir dir;
  // CreateDirectoryA makes one level at a time: the file lands only when the
  // levels were made outermost first.
  const std::string saved = dir / "a\\b\\c\\f.txt";
  const std::string appended = dir / "x\\y\\z\\g.txt";
  RunTraced(dir, FileBlock(saved, "tief") + FileBlock(appended, "angeh\xE4ngt", true));
  EXPECT_EQ(Content(saved), "tief");
  EXPECT_EQ(Content(appended), "angeh\xE4ngt");
  EXPECT_EQ(e2e::TraceMessages(), RunLines(dir)) << "a successful second open traces nothing";
}

TEST(FileTarget, FileBelowADriveRootCreatesNothing) {
  TempDir dir;
  const std::string target = "C:\\qor-e2e-" + std::to_string(GetCurrentProcessId()) + ".txt";
  RunTraced(dir, FileBlock(target, "Wurzel"));
  EXPECT_EQ(Content(target), "Wurzel");
  DeleteFileA(target.c_str());
  EXPECT_EQ(e2e::TraceMessages(), RunLines(dir));
}

TEST(FileTarget, RelativeNamesResolveAgainstTheCurrentDirectory) {
  TempDir dir;
  const std::string job = FileBlock("hier.txt", "hier") + FileBlock("abc\\de\\f.txt", "vier") +
                          FileBlock("ab\\cd\\f.txt", "zu kurz");
  ASSERT_TRUE(e2e::WriteFileBytes(dir / "job.qor", job));
  e2e::SetTrace(Trace::On);
  ASSERT_TRUE(e2e::RunQorIn(dir.path(), dir / "job.qor").finished);
  EXPECT_EQ(Content(dir / "hier.txt"), "hier");
  EXPECT_EQ(Content(dir / "abc\\de\\f.txt"), "vier") << "abc\\ is long enough to be created";
  // ab\ has three characters and is never created, so neither is ab\cd.
  EXPECT_FALSE(e2e::DirectoryExists(dir / "ab"));
  EXPECT_EQ(e2e::TraceMessages(),
            RunLines(dir, {SaveFailure("ab\\cd\\f.txt", " 76 Pfad nicht gefunden")}));
}

TEST(FileTarget, NameEndingInBackslashCreatesItsDirectoryAndFails) {
  TempDir dir;
  const std::string name = dir / "neu\\";
  RunTraced(dir, FileBlock(name, "ohne Dateinamen"));
  EXPECT_TRUE(e2e::DirectoryExists(dir / "neu"));
  EXPECT_EQ(e2e::TraceMessages(),
            RunLines(dir, {SaveFailure(name, " 75 Fehler beim Zugriff auf Pfad/Datei")}));
}

TEST(FileTarget, ExistingDirectoryIsNeitherDeletedNorWritten) {
  TempDir dir;
  const std::string sub = dir / "ordner";
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(e2e::WriteFileBytes(sub + "\\drin.txt", "bleibt"));
  RunTraced(dir, FileBlock(sub, "x") + FileBlock(sub, "y", true));
  EXPECT_TRUE(e2e::DirectoryExists(sub));
  EXPECT_EQ(Content(sub + "\\drin.txt"), "bleibt");
  EXPECT_EQ(e2e::TraceMessages(),
            RunLines(dir, {SaveFailure(sub, " 75 Fehler beim Zugriff auf Pfad/Datei"),
                           AppendFailure(sub, " 75: Fehler beim Zugriff auf Pfad/Datei")}));
}

TEST(FileTarget, ForwardSlashesOpenButCreateNoDirectory) {
  TempDir dir;
  std::string slashed = dir.path();
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  const std::string present = slashed + "/vorhanden.txt";
  const std::string missing = slashed + "/fehlt/f.txt";
  RunTraced(dir, FileBlock(present, "geht") + FileBlock(missing, "geht nicht"));
  EXPECT_EQ(Content(dir / "vorhanden.txt"), "geht");
  EXPECT_FALSE(e2e::DirectoryExists(dir / "fehlt"));
  EXPECT_EQ(e2e::TraceMessages(),
            RunLines(dir, {SaveFailure(missing, " 76 Pfad nicht gefunden")}));
}

// A file that another program holds without sharing cannot be opened: the
// failure reaches the trace log and the file is left as it was.
TEST(FileTarget, FileHeldExclusivelyByAnotherProgramIsTracedAndKept) {
  TempDir dir;
  const std::string target = dir / "gesperrt.txt";
  ASSERT_TRUE(e2e::WriteFileBytes(target, "alt"));
  HANDLE held = CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  RunTraced(dir, FileBlock(target, "neu") + FileBlock(target, "dazu", true));
  CloseHandle(held);
  EXPECT_EQ(Content(target), "alt");
  EXPECT_EQ(e2e::TraceMessages(), RunLines(dir, {SaveFailure(target, " 70 Zugriff verweigert"),
                                                 AppendFailure(target, " 70: Zugriff verweigert")}));
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
    ASSERT_TRUE(e2e::WriteFileBytes(target, "ein alter Inhalt, l\xE4nger als der neue"));
    HANDLE reader = CreateFileA(target.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    RunTraced(dir, FileBlock(target, "kurz"));
    CloseHandle(reader);
    EXPECT_EQ(Content(target), "kurz");
    EXPECT_EQ(e2e::TraceMessages(), RunLines(dir));
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
    ASSERT_TRUE(e2e::WriteFileBytes(dir / std::string(1, run) + ".qor", job));
  }
  e2e::SetTrace(Trace::Off);
  for (const e2e::RunResult& run : e2e::RunQorAtOnce({dir / "A.qor", dir / "B.qor"}, 300000)) {
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
  ASSERT_TRUE(e2e::WriteFileBytes(target, "Satz 1\r\n"));
  HANDLE holder = CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(LockFile(holder, 0, 0x40000000, 1, 0));  // the turn: byte 2^62
  e2e::SetTrace(Trace::On);
  const e2e::RunResult run =
      e2e::RunJob(dir, FileBlock(target, "Satz 2", true) + FileBlock(dir / "danach.txt", "weiter"));
  CloseHandle(holder);
  ASSERT_TRUE(run.finished);
  EXPECT_GE(run.elapsedMs, 9500u) << "waited for the turn";
  EXPECT_EQ(Content(target), "Satz 1\r\n");
  EXPECT_EQ(Content(dir / "danach.txt"), "weiter");
  EXPECT_EQ(e2e::TraceMessages(), RunLines(dir, {AppendFailure(target, " 70: Zugriff verweigert")}));
}

TEST(FileTarget, WithTracingOffFailuresLeaveNoTraceAndDeliveriesStillHappen) {
  TempDir dir;
  const std::string sub = dir / "ordner";
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  const std::string target = dir / "t.txt";
  for (Trace mode : {Trace::Off, Trace::ZeroBytes}) {
    e2e::SetTrace(mode);
    ASSERT_TRUE(e2e::RunJob(dir, FileBlock(sub, "x") + FileBlock(sub, "y", true) +
                                     FileBlock(dir / "neu\\", "z") + FileBlock(target, "da"))
                    .finished);
    EXPECT_FALSE(e2e::FileExists(e2e::kTraceLog)) << "mode " << static_cast<int>(mode);
    EXPECT_EQ(Content(target), "da");
    DeleteFileA(target.c_str());
  }
  e2e::SetTrace(Trace::Off);
}

}  // namespace
