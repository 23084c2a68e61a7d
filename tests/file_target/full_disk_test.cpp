// The file target of the real qor.exe on a full disk (drive N:, a small disk
// that full_disk.sh provides): saves and appends that do not fit lose nothing,
// leave no partial or temporary file and are traced; the block's program is
// started all the same and the next block is delivered.
#include <gtest/gtest.h>

#include "qor_e2e.h"
#include "stand_in.h"

using namespace e2e;

namespace {

const char kDisk[] = "N:\\";

uint64_t FreeBytes() {
  ULARGE_INTEGER free{};
  return GetDiskFreeSpaceExA(kDisk, &free, nullptr, nullptr) ? free.QuadPart : 0;
}

TEST(FullDisk, NothingIsLostAndEveryFailureIsTraced) {
  ASSERT_GT(FreeBytes(), 64u * 1024) << "drive N: must be an empty small disk";
  const std::string liste = "N:\\liste.txt";
  const std::string daten = "N:\\daten.txt";
  const std::string oldListe = "Titel A;Verlag B;2\r\n";
  const std::string oldDaten = "Satz 1\r\nSatz 2\r\n";
  ASSERT_TRUE(WriteFileBytes(liste, oldListe));
  ASSERT_TRUE(WriteFileBytes(daten, oldDaten));
  // Filled until 8 KB stay free.
  ASSERT_TRUE(WriteFileBytes("N:\\fueller.bin", std::string(FreeBytes() - 8192, 'f')));
  ASSERT_EQ(FreeBytes(), 8192u);

  TempDir dir;
  const StandIn standIn(dir / UniqueName("programm"));  // on C:, recording what it finds
  ASSERT_TRUE(standIn.placed());
  std::string payload = "<";
  while (payload.size() < 64 * 1024) payload += "Titel;Verlag;Ort;2024\r\n";
  payload += ">";
  const std::string program = standIn.path() + " " + liste;
  const std::string job = FileBlock(liste, payload, false, program) +
                          FileBlock("N:\\neu.txt", payload) + FileBlock(daten, payload, true) +
                          FileBlock("N:\\klein.txt", "passt");
  SetTrace(Trace::On);
  const RunResult run = RunJob(dir, job);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);

  EXPECT_EQ(Content(liste), oldListe);
  EXPECT_EQ(Content(daten), oldDaten) << "cut back to its length before the block";
  EXPECT_EQ(Content("N:\\klein.txt"), "passt");
  EXPECT_EQ(Listing("N:\\*"), (Lines{"daten.txt", "fueller.bin", "klein.txt", "liste.txt"}))
      << "no partial or temporary file";
  const std::string full = " Datentr\344ger voll";
  EXPECT_EQ(TraceMessages(), RunLines(dir, {SaveFailureLine(liste, " 61" + full),
                                            "Externer Programmaufruf " + program,
                                            SaveFailureLine("N:\\neu.txt", " 61" + full),
                                            AppendFailureLine(daten, " 61:" + full)}));
  // Started after the failed write, it found the old file.
  const Lines records = StartRecords(standIn.path(), 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_NE(records[0].find("\r\nfile=" + oldListe), std::string::npos) << records[0];
  SetTrace(Trace::Off);
}

}  // namespace
