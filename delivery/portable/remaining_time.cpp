#include "remaining_time.h"

uint32_t RemainingMs(uint32_t startTick, uint32_t nowTick, uint32_t limitMs) {
  const uint32_t spent = nowTick - startTick;  // unsigned: right across the wrap
  return spent >= limitMs ? 0 : limitMs - spent;
}
