// Calls CheckMimeType through raw pushes and a call, and measures what the
// callee left on the stack: a stdcall function removes its own 20 bytes.
#pragma once

#include <cstdint>

namespace setup_test {

struct MeasuredCall {
  uint32_t eax;          // the whole result register; the result is its low byte
  int32_t stackOffset;   // ESP after the call minus ESP before the pushes
};

MeasuredCall CallFiveArguments(const void* function, const uint32_t (&arguments)[5]);

}  // namespace setup_test
