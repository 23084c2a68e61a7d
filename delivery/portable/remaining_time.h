// Waits bounded by a time-out, as GetTickCount counts.
#pragma once

#include <cstdint>

// Milliseconds left of `limitMs` since `startTick`, as GetTickCount counts
// (wrapping after 49.7 days): 0 once the limit is reached.
uint32_t RemainingMs(uint32_t startTick, uint32_t nowTick, uint32_t limitMs);
