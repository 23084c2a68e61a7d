// AppendToFile: the payload goes directly behind the file's last byte. Runs
// that append to one file at the same time take turns block by block, and a
// block that cannot be written whole is taken out again.
#include "file_target.h"

#include <exception>

#include "file_steps.h"
#include "remaining_time.h"
#include "texts.h"

namespace {

// The turn is an exclusive lock on one byte far beyond any content a file
// will hold, so that readers and the written bytes never meet it. A run that
// finds it taken asks again until the bound has passed.
constexpr DWORD kTurnOffsetHigh = 0x40000000;  // byte 2^62
constexpr DWORD kTurnWaitMs = 10000;
constexpr DWORD kTurnRetryMs = 1;

class AppendTurn {
 public:
  explicit AppendTurn(HANDLE file) : file_(file) {}
  AppendTurn(const AppendTurn&) = delete;
  AppendTurn& operator=(const AppendTurn&) = delete;
  ~AppendTurn() {
    if (locked_) qor::api::UnlockFile(file_, 0, kTurnOffsetHigh, 1, 0);
  }

  // False when another run held the turn for the whole bound. A file system
  // that cannot lock at all is appended to without taking turns.
  bool Take(LastError& last) {
    const DWORD start = qor::api::GetTickCount();
    for (;;) {
      if (qor::api::LockFile(file_, 0, kTurnOffsetHigh, 1, 0)) {
        locked_ = true;
        return true;
      }
      const DWORD error = ::GetLastError();
      if (error != ERROR_LOCK_VIOLATION) return true;
      if (RemainingMs(start, qor::api::GetTickCount(), kTurnWaitMs) == 0) {
        last.Record(error);
        return false;
      }
      qor::api::Sleep(kTurnRetryMs);
    }
  }

 private:
  HANDLE file_;
  bool locked_ = false;
};

// Writes the bytes behind the end of `file` while the turn is held. They go
// through a handle of their own that is closed before the turn is given up,
// so that a failed write or close is taken out again before another run can
// write behind it.
void AppendWhole(const std::string& fileName, HANDLE file, std::string_view bytes,
                 LastError& last) {
  const int64_t length = OpenFileLength(file);
  if (length < 0) {
    last.Record();
    return;
  }
  qor::UniqueFile writer(qor::api::CreateFileA(fileName.c_str(), GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!writer) {
    last.Record();
    return;
  }
  WriteAt(writer.get(), length, bytes, last);
  CloseRecording(writer, last);
  if (last.Failed()) CutAt(file, length);
}

}  // namespace

int16_t AppendToFile(const std::string& fileName, std::string_view payload, int32_t count) {
  LastError last;
  try {
    qor::UniqueFile file = OpenCreatingDirectories(fileName, last);
    if (file) {
      AppendTurn turn(file.get());
      if (turn.Take(last)) AppendWhole(fileName, file.get(), CharsToWrite(payload, count), last);
    }
    if (last.Failed()) TraceFileFailure(AppendFailure, fileName, last.error);
    return last.Take();
  } catch (const std::exception&) {
    return OutOfMemory(AppendFailure, fileName);
  }
}
