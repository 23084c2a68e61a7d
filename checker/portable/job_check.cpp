#include "job_check.h"

#include <utility>

#include "check_recorder.h"
#include "deliver_block.h"
#include "job_parser.h"
#include "text_places.h"

JobCheck CheckJob(std::string_view text) {
  JobText = text;
  return CheckJobText();
}

JobCheck CheckJobText() {
  JobBlock = JobBlockRecord();
  JobCheck check;
  CheckRecorder recorder(check);
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

// The loop's call out to delivery: the checker delivers nothing; the
// recorder has seen the block already.
void DeliverBlock() {}
