// Runs the whole job loop over arbitrary job text with a recording stand-in
// for delivery, and checks what must hold for any input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "job_loop.h"
#include "job_parser.h"
#include "qor_state.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool InsideText(int32_t position) {
  return position >= 0 && position <= static_cast<int32_t>(JobText.size()) + 1;
}

struct Watcher : JobLoopObserver {
  int32_t lastDelivered = 0;  // 1-based position of the last delivered data marker
  bool pendingDelivery = false;
  int32_t pendingMarker = 0;

  void HeaderParsed(int32_t position, int32_t next, bool) override {
    Require(InsideText(position) && InsideText(next));
  }
  void HeaderUnterminated() override {}
  void DataParsed(int32_t position, int32_t next, bool deliver) override {
    Require(InsideText(position) && InsideText(next));
    if (!deliver) return;
    const size_t from = position <= 0 ? 0 : static_cast<size_t>(position) - 1;
    const size_t marker = std::string_view(JobText).find(kDataStart, from);
    Require(marker != std::string::npos);
    // No data section is ever delivered twice: each lies after the last.
    Require(static_cast<int32_t>(marker) + 1 > lastDelivered);
    lastDelivered = static_cast<int32_t>(marker) + 1;
    pendingDelivery = true;
  }
};

Watcher* gWatcher = nullptr;
int gDeliveries = 0;

void CheckDelivery() {
  Require(gWatcher != nullptr && gWatcher->pendingDelivery);
  gWatcher->pendingDelivery = false;
  ++gDeliveries;
  const std::string_view data = JobBlock.DataText;
  Require(!data.empty());
  Require(data.front() != ' ' && data.back() != ' ');
  Require(std::string_view(JobText).find(data) != std::string::npos);
  Require(JobBlock.TargetCode >= TargetFile && JobBlock.TargetCode <= TargetDde);
  if (JobBlock.TargetCode == TargetFile) Require(!JobBlock.TargetFileName.empty());
  if (JobBlock.TargetCode == TargetDde) {
    Require(!JobBlock.DdeService.empty() && !JobBlock.DdeServer.empty() &&
            !JobBlock.DdeTopic.empty() && !JobBlock.DdeItem.empty());
  }
}

void LocateCompanion() { JobBlock.DdeService = "C:\\Bib\\bin\\dravo.exe"; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  JobText = std::string_view(reinterpret_cast<const char*>(data), size);
  JobBlock = JobBlockRecord();
  BlockDeliverer = CheckDelivery;
  CompanionLocator = LocateCompanion;
  Watcher watcher;
  gWatcher = &watcher;
  gDeliveries = 0;
  RunJobLoop(&watcher);
  Require(!watcher.pendingDelivery);
  // Every delivery needs a data section of its own, so there can't be more
  // deliveries than data markers.
  Require(gDeliveries <= static_cast<int>(size / kDataStart.size()));
  gWatcher = nullptr;
  return 0;
}
