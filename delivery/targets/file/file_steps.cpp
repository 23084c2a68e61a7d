#include "file_steps.h"

#include <algorithm>
#include <exception>

#include "file_target.h"
#include "qor_state.h"
#include "trace_log.h"

qor::UniqueFile OpenForWriting(const std::string& fileName) {
  return qor::UniqueFile(qor::api::CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

qor::UniqueFile OpenCreatingDirectories(const std::string& fileName, LastError& last) {
  qor::UniqueFile file = OpenForWriting(fileName);
  if (file) return file;
  CreateMissingDirectories(fileName);
  last.Clear();
  file = OpenForWriting(fileName);
  if (!file) last.Record();
  return file;
}

std::string_view CharsToWrite(std::string_view payload, int32_t count) {
  if (count <= 0) return {};
  return payload.substr(0, std::min(payload.size(), static_cast<size_t>(count)));
}

void WriteAt(HANDLE file, int64_t offset, std::string_view bytes, LastError& last) {
  if (!qor::SeekTo(file, offset)) {
    last.Record();
    return;
  }
  // WriteFile takes at most 4 GB less one byte at a time.
  constexpr size_t kMostAtOnce = 0x40000000;
  while (!bytes.empty()) {
    const DWORD want = static_cast<DWORD>(std::min(bytes.size(), kMostAtOnce));
    DWORD written = 0;
    if (!qor::api::WriteFile(file, bytes.data(), want, &written, nullptr)) {
      last.Record();
      return;
    }
    if (written == 0) {  // no progress: stop instead of asking forever
      last.Record(ERROR_WRITE_FAULT);
      return;
    }
    bytes.remove_prefix(written);
  }
}

int64_t OpenFileLength(HANDLE file) {
  int64_t size = 0;
  return qor::FileSizeOf(file, size) ? size : -1;
}

bool CutAt(HANDLE file, int64_t length) {
  return qor::SeekTo(file, length) && qor::api::SetEndOfFile(file);
}

void CloseRecording(qor::UniqueFile& file, LastError& last) {
  if (!qor::api::CloseHandle(file.release())) last.Record();
}

void TraceFileFailure(FailureText text, const std::string& fileName, const QorError& error) {
  if (!TraceOn) return;
  try {
    WriteTrace(text(fileName, error));
  } catch (const std::exception&) {
  }
}

int16_t OutOfMemory(FailureText text, const std::string& fileName) {
  TraceFileFailure(text, fileName, ErrorFromNumber(qor_errors::kOutOfMemory));
  return qor_errors::kOutOfMemory;
}
