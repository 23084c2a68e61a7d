// The failure plan of the test build qor_faults.exe (compiled with QOR_FAULTS
// only; qor.exe holds none of it). The plan comes from the environment:
//
//   QOR_FAULTS=ENTRY[;ENTRY...]   ENTRY = WHAT:CALLS[=ERROR]
//     WHAT   "call" (every call that can fail, counted together), "alloc"
//            (operator new) or a function name ("WriteFile")
//     CALLS  N (the N-th only), N-M (the N-th to the M-th), N+ (from the N-th on)
//     ERROR  the last-error code of a failed call; default: one that fits it
//   e.g. QOR_FAULTS=call:17  QOR_FAULTS=alloc:3+  QOR_FAULTS=MoveFileExA:1-3=5
//
//   QOR_FAULTS_REPORT=PATH   at the end of the run, PATH receives how many
//                            calls and allocations the run made, where each
//                            part of the run began and what failed in which.
#pragma once

#include <cstdint>

namespace qor::faults {

enum class Fault {
  kNone,
  kInstead,    // the call fails without being made
  kAfterCall,  // the call is made and then reports failure, as a close does
               // whose delayed write failed: the handle is gone all the same
};

// Counts this call of `name`; whether and how the plan fails it, with the
// code the failed call leaves as the last error in `error`.
Fault FailCall(const char* name, uint32_t& error);

// The parts of a run, as the job loop marks them: the start-up until the loop
// begins, then for each block the reading of its header and payload and its
// delivery, and what follows the last block. The report says which part each
// fault hit, so that a fault is judged by what it hit and not by what a count
// of an earlier run foretold.
enum class Part { kStartUp, kHeader, kBlock, kEnd };

// The run enters `part`; kHeader begins the next block.
void EnterPart(Part part);

}  // namespace qor::faults
