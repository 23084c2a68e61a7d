// The parser alone over a large job text, against a plain memmem scan for the
// same markers, and at two sizes to show that the cost grows linearly.
// Prints "name seconds MB/s" lines; bench/run turns them into the table.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "job_loop.h"
#include "job_parser.h"
#include "qor_state.h"

namespace {

long gDelivered = 0;
size_t gBytes = 0;

std::string MakeJob(size_t totalBytes) {
  std::string job;
  job.reserve(totalBytes + 4096);
  std::string payload;
  for (int line = 0; line < 40; ++line) {
    payload += "Titel " + std::to_string(line) + ";Verlag B;Ort C;2024;ISBN 978-3-16-148410-0\r\n";
  }
  int block = 0;
  while (job.size() < totalBytes) {
    job += "(((HEADERSTART)))\r\nZiel=Datei*\r\nDateiname=C:\\Export\\teil" +
           std::to_string(block++ % 50) +
           ".txt*\r\nAnhaengen=Ja*\r\n(((HEADEREND)))\r\n(((DATASTART)))\r\n" + payload +
           "(((DATAEND)))\r\n";
  }
  return job;
}

size_t MemmemScan(std::string_view text) {
  static const char* const kMarkers[] = {"(((HEADERSTART)))", "(((HEADEREND)))", "(((DATASTART)))",
                                         "(((DATAEND)))"};
  const char* p = text.data();
  const char* end = p + text.size();
  size_t found = 0;
  for (int m = 0;; m = (m + 1) % 4) {
    const size_t n = std::strlen(kMarkers[m]);
    const void* hit = memmem(p, static_cast<size_t>(end - p), kMarkers[m], n);
    if (hit == nullptr) break;
    p = static_cast<const char*>(hit) + n;
    ++found;
  }
  return found;
}

template <typename F>
double BestOf(int runs, F f) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
    if (d.count() < best) best = d.count();
  }
  return best;
}

void CountBlock() {
  ++gDelivered;
  gBytes += JobBlock.DataText.size();
}
void LeaveCompanion() {}

}  // namespace

int main() {
  BlockDeliverer = CountBlock;
  CompanionLocator = LeaveCompanion;
  for (size_t mb : {10, 100, 1000}) {
    JobText = MakeJob(mb << 20);
    const double mbs = static_cast<double>(JobText.size()) / (1 << 20);
    size_t markers = 0;
    const double scan = BestOf(7, [&] { markers = MemmemScan(JobText); });
    const double parse = BestOf(7, [&] {
      gDelivered = 0;
      RunJobLoop();
    });
    if (static_cast<size_t>(gDelivered) * 4 != markers) {
      std::fprintf(stderr, "parser delivered %ld blocks, scan found %zu markers\n", gDelivered,
                   markers);
      return 1;
    }
    std::printf("memmem_%zuMB %.4f %.0f\n", mb, scan, mbs / scan);
    std::printf("parser_%zuMB %.4f %.0f\n", mb, parse, mbs / parse);
  }
  return 0;
}
