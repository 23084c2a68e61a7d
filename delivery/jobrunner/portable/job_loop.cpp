#include "job_loop.h"

#include <exception>

#include "job_parser.h"

// The test build qor_faults.exe tells its failure plan which part of the run
// it is in; qor.exe marks nothing.
#ifdef QOR_FAULTS
#include "fault_plan.h"
#define QOR_ENTER_PART(part) ::qor::faults::EnterPart(::qor::faults::Part::part)
#else
#define QOR_ENTER_PART(part)
#endif

void (*BlockDeliverer)() = nullptr;

namespace {

void RunBlocks(JobLoopObserver* observer) {
  int32_t position = 1;
  int32_t next = 0;
  while (position > 0) {
    QOR_ENTER_PART(kHeader);
    bool valid = false;
    try {
      valid = ParseHeaderBlock(position, next);
    } catch (const std::exception&) {
      // A header that cannot be parsed ends the run.
    }
    if (observer != nullptr) observer->HeaderParsed(position, next, valid);
    if (!valid) return;
    // A header without its end marker swallows the rest of the text; a data
    // search from there would start over at the top and could deliver an
    // earlier block's payload a second time. Nothing of this block is ours.
    if (next == 0) {
      if (observer != nullptr) observer->HeaderUnterminated();
      return;
    }
    position = next;
    const bool deliver = ParseDataBlock(position, next);
    if (observer != nullptr) observer->DataParsed(position, next, deliver);
    if (deliver) {
      QOR_ENTER_PART(kBlock);
      try {
        BlockDeliverer();
      } catch (const std::exception&) {
        // The block is abandoned; a target with failure lines has written its own.
      }
    }
    position = next;
  }
}

}  // namespace

void RunJobLoop(JobLoopObserver* observer) {
  RunBlocks(observer);
  QOR_ENTER_PART(kEnd);
}
