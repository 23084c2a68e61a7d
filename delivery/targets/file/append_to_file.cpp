// AppendToFile: the payload goes directly behind the file's last byte. Runs
// that append to one file at the same time take turns block by block, and a
// block that cannot be written whole is taken out again.
#include "file_target.h"

#include <exception>

#include "file_steps.h"
#include "file_turn.h"
#include "texts.h"

namespace {

// A run waits this long for its turn to append, then fails the block.
constexpr DWORD kTurnWaitMs = 10000;

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
      qor::FileTurn turn(file.get(), kTurnWaitMs);
      if (turn.Take()) {
        AppendWhole(fileName, file.get(), CharsToWrite(payload, count), last);
      } else {
        last.Record();
      }
    }
    if (last.Failed()) TraceFileFailure(AppendFailure, fileName, last.error);
    return last.Take();
  } catch (const std::exception&) {
    return OutOfMemory(AppendFailure, fileName);
  }
}
