// Records what the job loop does with each block into a JobCheck: the key
// lookups the parser makes in every header, the verdict on the header, what
// became of its data section, and how the run ends.
#pragma once

#include <cstdint>
#include <vector>

#include "job_check.h"
#include "job_loop.h"
#include "job_parser.h"

class CheckRecorder : public JobLoopObserver {
 public:
  // Watches the parser's key lookups while it lives; one recorder at a time.
  // A server's command line is judged against `files` (null: none at hand).
  CheckRecorder(JobCheck& check, const ProgramFiles* files);
  ~CheckRecorder() override;
  CheckRecorder(const CheckRecorder&) = delete;
  CheckRecorder& operator=(const CheckRecorder&) = delete;

  void HeaderParsed(int32_t position, int32_t next, bool valid) override;
  void HeaderUnterminated() override;
  void DataParsed(int32_t position, int32_t next, bool deliver) override;

 private:
  static void Watch(const KeyLookup& lookup);

  // A header between this header's end and its data section is passed over.
  void NotePassedOverHeader(BlockVerdict& v, int32_t position, int32_t dataMarker);
  // Without its end marker the payload runs to the end of the job.
  void NoteMissingDataEnd(BlockVerdict& v, int32_t dataMarker);
  // Headers of later blocks inside this header (its end marker is missing
  // before them) or inside its payload (up to a later block's end marker).
  void NoteHeadersInside(BlockVerdict& v, int32_t from, int32_t before, bool inPayload);

  JobCheck& check_;
  const ProgramFiles* files_;
  std::vector<KeyRead> lookups_;  // of the header being parsed
  bool lookupLost_ = false;       // no memory to record one
};
