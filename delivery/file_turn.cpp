#include "file_turn.h"

#include "remaining_time.h"

namespace qor {

namespace {

constexpr DWORD kTurnOffsetHigh = 0x40000000;  // byte 2^62
constexpr DWORD kTurnRetryMs = 1;

}  // namespace

FileTurn::~FileTurn() {
  if (locked_) api::UnlockFile(file_, 0, kTurnOffsetHigh, 1, 0);
}

bool FileTurn::Take() {
  const DWORD start = api::GetTickCount();
  for (;;) {
    if (api::LockFile(file_, 0, kTurnOffsetHigh, 1, 0)) {
      locked_ = true;
      return true;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_LOCK_VIOLATION) return true;
    if (RemainingMs(start, api::GetTickCount(), waitMs_) == 0) {
      ::SetLastError(error);
      return false;
    }
    api::Sleep(kTurnRetryMs);
  }
}

}  // namespace qor
