// Jobs at the size limits of the shipped 32-bit program: a job text larger
// than a std::string holds there (1 GiB), one near the largest stretch of
// addresses it can have, and one beyond its 32-bit positions.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "qor_e2e.h"

using namespace e2e;

namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;

// One file block of `payloadBytes` to `target`, then a small sentinel block.
// The payload is a MiB of varied bytes, zeros, and a MiB of varied bytes
// again; the zeros are never written (the file system leaves a hole), so a
// large job costs little time and disk.
struct LargeJob {
  std::string path;
  uint64_t payloadAt = 0;
  uint64_t payloadBytes = 0;
};

bool WriteAt(HANDLE file, uint64_t offset, const std::string& bytes) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  DWORD written = 0;
  return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) &&
         WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::string VariedBytes(uint32_t seed) {
  std::string bytes(kMiB, '\0');
  for (char& c : bytes) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return bytes;
}

LargeJob WriteLargeJob(const TempDir& dir, uint64_t payloadBytes, const std::string& target) {
  LargeJob job{dir / "gross.qor", 0, payloadBytes};
  const std::string head = Header("Ziel=Datei*\r\nDateiname=" + target + "*") + "(((DATASTART)))";
  job.payloadAt = head.size();
  const std::string tail = "(((DATAEND)))\r\n" + FileBlock(dir / "danach.txt", "weiter");
  HANDLE file = CreateFileA(job.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LargeJob();
  const bool written = WriteAt(file, 0, head + VariedBytes(1)) &&
                       WriteAt(file, job.payloadAt + payloadBytes - kMiB, VariedBytes(2) + tail);
  CloseHandle(file);
  return written ? job : LargeJob();
}

// True when `length` bytes of `a` from `offsetA` equal the whole file `b`.
bool FileIsRangeOf(const std::string& b, const std::string& a, uint64_t offsetA, uint64_t length) {
  HANDLE fa =
      CreateFileA(a.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE fb =
      CreateFileA(b.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  LARGE_INTEGER sizeB{}, at{};
  at.QuadPart = static_cast<LONGLONG>(offsetA);
  bool same = fa != INVALID_HANDLE_VALUE && fb != INVALID_HANDLE_VALUE &&
              GetFileSizeEx(fb, &sizeB) && static_cast<uint64_t>(sizeB.QuadPart) == length &&
              SetFilePointerEx(fa, at, nullptr, FILE_BEGIN);
  constexpr DWORD kPiece = 16 << 20;
  const std::unique_ptr<char[]> pa(new char[kPiece]), pb(new char[kPiece]);
  for (uint64_t done = 0; same && done < length;) {
    const DWORD want = static_cast<DWORD>(std::min<uint64_t>(kPiece, length - done));
    DWORD gotA = 0, gotB = 0;
    same = ReadFile(fa, pa.get(), want, &gotA, nullptr) &&
           ReadFile(fb, pb.get(), want, &gotB, nullptr) && gotA == want && gotB == want &&
           std::memcmp(pa.get(), pb.get(), want) == 0;
    done += want;
  }
  if (fa != INVALID_HANDLE_VALUE) CloseHandle(fa);
  if (fb != INVALID_HANDLE_VALUE) CloseHandle(fb);
  return same;
}

class LargeJobs : public testing::Test {
 protected:
  // Skips when the disk cannot take the delivered copy and some room besides.
  bool RoomFor(uint64_t bytes) {
    ULARGE_INTEGER free{};
    return GetDiskFreeSpaceExA(dir_.path().c_str(), &free, nullptr, nullptr) &&
           free.QuadPart > bytes + 2048 * kMiB;
  }
  TempDir dir_;
};

// Larger than a std::string of the 32-bit program can be, and near the
// largest piece of memory it gets under Wine (about 1880 MiB of addresses in
// one stretch): both delivered byte for byte, and the block behind them too.
// qorcheck reads and reports the larger one.
TEST_F(LargeJobs, JobsOverOneGibibyteAreDeliveredWhole) {
#ifdef _WIN64
  GTEST_SKIP() << "the limits of the 32-bit program; the x64 one has no such bounds";
#endif
  for (uint64_t payload : {1024 * kMiB + 1, 1792 * kMiB}) {
    SCOPED_TRACE(payload);
    if (!RoomFor(payload)) GTEST_SKIP() << "too little room on the disk for " << payload;
    const std::string target = dir_ / "gross.txt";
    const LargeJob job = WriteLargeJob(dir_, payload, target);
    ASSERT_FALSE(job.path.empty());
    SetTrace(Trace::On);
    const RunResult run = RunQor(job.path, 300000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(TraceMessages(), StartLines(job.path)) << "nothing failed";
    EXPECT_TRUE(FileIsRangeOf(target, job.path, job.payloadAt, payload));
    EXPECT_EQ(Content(dir_ / "danach.txt"), "weiter");
    if (payload > 1100 * kMiB) continue;
    RunResult checked;
    const std::string report = QorcheckReport(dir_, job.path, &checked, 300000);
    EXPECT_EQ(checked.exitCode, 0u) << report;
    EXPECT_NE(report.find("Ergebnis: 2 von 2 Bl\366cken werden geliefert."), std::string::npos)
        << report.substr(0, 2000);
    DeleteFileA(target.c_str());
    DeleteFileA((dir_ / "danach.txt").c_str());
  }
}

// Beyond the 32-bit positions: the read fails as "out of memory" and the run
// ends normally; qorcheck refuses it as unreadable.
TEST_F(LargeJobs, JobOverTwoGibibytesEndsAsAReadFailure) {
  const uint64_t payload = 2048 * kMiB + 1024;
  const LargeJob job = WriteLargeJob(dir_, payload, dir_ / "gross.txt");
  ASSERT_FALSE(job.path.empty());
  SetTrace(Trace::On);
  const RunResult run = RunQor(job.path);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(TraceMessages(),
            StartLines(job.path, {"Fehler beim Lesen der Daten:  7 Nicht gen\374gend Speicher",
                                  "QOR: Daten konnten nicht gelesen werden"}));
  EXPECT_FALSE(FileExists(dir_ / "danach.txt"));
  RunResult checked;
  EXPECT_EQ(QorcheckReport(dir_, job.path, &checked),
            "qorcheck: " + job.path + " kann nicht gelesen werden\r\n");
  EXPECT_EQ(checked.exitCode, 2u);
}

}  // namespace
