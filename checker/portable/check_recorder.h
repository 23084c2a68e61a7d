// Records what the job loop does with each block into a JobCheck: the verdict
// on every header the loop reads, what became of its data section, and how
// the run ends.
#pragma once

#include <cstdint>

#include "job_check.h"
#include "job_parser.h"

class CheckRecorder : public JobLoopObserver {
 public:
  explicit CheckRecorder(JobCheck& check) : check_(check) {}

  void HeaderParsed(int32_t position, int32_t next, bool valid) override;
  void HeaderUnterminated() override;
  void DataParsed(int32_t position, int32_t next, bool deliver) override;

 private:
  // A header between this header's end and its data section is passed over.
  void NotePassedOverHeader(BlockVerdict& v, int32_t position, int32_t dataMarker);
  // Without its end marker the payload runs to the end of the job.
  void NoteMissingDataEnd(BlockVerdict& v, int32_t dataMarker);
  // Headers of later blocks inside this header (its end marker is missing
  // before them) or inside its payload (up to a later block's end marker).
  void NoteHeadersInside(BlockVerdict& v, int32_t from, int32_t before, bool inPayload);

  JobCheck& check_;
};
