// The block loop over JobText: parse, deliver, move on.
#pragma once

#include <cstdint>

// Carries out the block in JobBlock. The loop needs no Windows API, so each
// program plugs in its own before it runs the loop: qor.exe DeliverBlock, the
// checker a procedure that delivers nothing, the tests their stand-ins. The
// parser's CompanionLocator (job_parser.h) is plugged in beside it.
extern void (*BlockDeliverer)();

// Watches the block loop without changing it; lets a checking tool explain a
// job file with the very same loop and parser the program runs.
struct JobLoopObserver {
  virtual ~JobLoopObserver() = default;
  // After each header parse: where the search started, the next position it
  // reported and whether the header was valid.
  virtual void HeaderParsed(int32_t position, int32_t next, bool valid) = 0;
  // After each data parse of a valid header; `deliver` is true when the block
  // goes to BlockDeliverer.
  virtual void DataParsed(int32_t position, int32_t next, bool deliver) = 0;
  // The loop ends because the last header had no end marker.
  virtual void HeaderUnterminated() = 0;
};

// Parses block by block and hands each block with a payload to
// BlockDeliverer, until nothing follows or a header is invalid. Running out of
// memory while a header is parsed ends the run like an invalid header; while
// a block is delivered, it abandons that block and the loop goes on.
void RunJobLoop(JobLoopObserver* observer = nullptr);
