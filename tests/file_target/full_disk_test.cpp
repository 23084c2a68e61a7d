// The file target of the real qor.exe on a full disk (drive N:, a small disk
// that full_disk.sh provides): saves and appends that do not fit lose nothing,
// leave no partial or temporary file and are traced; the block's program is
// started all the same and the next block is delivered.
#include <gtest/gtest.h>

#include <algorithm>

#include "qor_e2e.h"
#include "recorder_records.h"

using e2e::FileBlock;
using e2e::RunLines;
using e2e::TempDir;
using e2e::Trace;

namespace {

const char kDisk[] = "N:\\";

uint64_t FreeBytes() {
  ULARGE_INTEGER free{};
  return GetDiskFreeSpaceExA(kDisk, &free, nullptr, nullptr) ? free.QuadPart : 0;
}

std::vector<std::string> Listing() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA("N:\\*", &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

std::string Content(const std::string& path) {
  std::string bytes;
  return e2e::ReadFileBytes(path, bytes) ? bytes : "<missing>";
}

TEST(FullDisk, NothingIsLostAndEveryFailureIsTraced) {
  ASSERT_GT(FreeBytes(), 64u * 1024) << "drive N: must be an empty small disk";
  const std::string liste = "N:\\liste.txt";
  const std::string daten = "N:\\daten.txt";
  const std::string oldListe = "Titel A;Verlag B;2\r\n";
  const std::string oldDaten = "Satz 1\r\nSatz 2\r\n";
  ASSERT_TRUE(e2e::WriteFileBytes(liste, oldListe));
  ASSERT_TRUE(e2e::WriteFileBytes(daten, oldDaten));
  // Filled until 8 KB stay free.
  ASSERT_TRUE(e2e::WriteFileBytes("N:\\fueller.bin", std::string(FreeBytes() - 8192, 'f')));
  ASSERT_EQ(FreeBytes(), 8192u);

  TempDir dir;
  std::string payload = "<";
  while (payload.size() < 64 * 1024) payload += "Titel;Verlag;Ort;2024\r\n";
  payload += ">";
  const std::string program = Recorder() + " " + dir.path() + " " + liste;
  const std::string job = FileBlock(liste, payload, false, program) + FileBlock("N:\\neu.txt", payload) +
                          FileBlock(daten, payload, true) + FileBlock("N:\\klein.txt", "passt");
  e2e::SetTrace(Trace::On);
  const e2e::RunResult run = e2e::RunJob(dir, job);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);

  EXPECT_EQ(Content(liste), oldListe);
  EXPECT_EQ(Content(daten), oldDaten) << "cut back to its length before the block";
  EXPECT_EQ(Content("N:\\klein.txt"), "passt");
  EXPECT_EQ(Listing(), (std::vector<std::string>{"daten.txt", "fueller.bin", "klein.txt",
                                                 "liste.txt"}))
      << "no partial or temporary file";
  EXPECT_EQ(e2e::TraceMessages(),
            RunLines(dir, {liste + " kann nicht gespeichert werden. Fehler  61 Datentr\xE4ger voll",
                           "Externer Programmaufruf " + program,
                           "N:\\neu.txt kann nicht gespeichert werden. Fehler  61 Datentr\xE4ger voll",
                           daten + "  konnte nicht ge\xF6" "ffnet werden.  Fehler  61: Datentr\xE4ger voll"}));
  // Started after the failed write, it found the old file.
  const std::vector<std::string> records = WaitForRecords(dir.path(), 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_NE(records[0].find("\r\ntarget=" + oldListe), std::string::npos) << records[0];
  e2e::SetTrace(Trace::Off);
}

}  // namespace
