#include "file_turn.h"

#include "remaining_time.h"

namespace qor {

namespace {

// Byte 2^62. Windows 95, 98 and Me refuse a lock with a high offset word
// (ERROR_INVALID_PARAMETER); their files stay below 4 GiB, so byte 2^32 - 2
// lies beyond any content there.
constexpr DWORD kFarTurnHigh = 0x40000000;
constexpr DWORD kNearTurnLow = 0xFFFFFFFE;
constexpr DWORD kTurnRetryMs = 1;

}  // namespace

FileTurn::~FileTurn() {
  if (locked_) api::UnlockFile(file_, low_, high_, 1, 0);
}

bool FileTurn::Take() {
  const DWORD start = api::GetTickCount();
  low_ = 0;
  high_ = kFarTurnHigh;
  for (;;) {
    if (api::LockFile(file_, low_, high_, 1, 0)) {
      locked_ = true;
      return true;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_INVALID_PARAMETER && high_ != 0) {
      low_ = kNearTurnLow;
      high_ = 0;
      continue;
    }
    if (error != ERROR_LOCK_VIOLATION) return true;
    if (RemainingMs(start, api::GetTickCount(), waitMs_) == 0) {
      ::SetLastError(error);
      return false;
    }
    api::Sleep(kTurnRetryMs);
  }
}

}  // namespace qor
