#include "job_check.h"

#include <utility>

#include "check_recorder.h"
#include "job_loop.h"
#include "job_parser.h"
#include "text_places.h"
#include "verdict_texts.h"

namespace {

// The loop's call out to delivery: the checker delivers nothing; the
// recorder has seen the block already.
void DeliverNothing() {}

void LocateCompanionElsewhere() { JobBlock.DdeService = kCompanionElsewhere; }

}  // namespace

const MachineLookups kAwayFromWindows{LocateCompanionElsewhere, nullptr};

JobCheck CheckJob(std::string_view text, const MachineLookups& machine) {
  JobText = text;
  return CheckJobText(machine);
}

JobCheck CheckJobText(const MachineLookups& machine) {
  JobBlock = JobBlockRecord();
  JobCheck check;
  CheckRecorder recorder(check, machine.programFiles);
  BlockDeliverer = DeliverNothing;
  CompanionLocator = machine.locateCompanionPath;
  RunJobLoop(&recorder);
  check.headerMarkers = CountHeaderMarkers(1);
  return check;
}

int CheckStatus(const JobCheck& check) {
  if (check.endsEarly || check.passedOver > 0 || check.swallowed > 0) return 1;
  for (const BlockVerdict& v : check.blocks) {
    if (!v.delivered || v.namesUnworkable) return 1;
  }
  return 0;
}
