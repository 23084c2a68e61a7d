// Steps that saving and appending share: the last error of one procedure
// call, the open for writing, writing, closing, the trace lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "error_table.h"
#include "win_owners.h"

// The last error of one procedure call: a failing step records itself and the
// procedure goes on with its next step.
struct LastError {
  QorError error;

  void Record(DWORD code) { error = ErrorFromWin32(code); }
  void Record() { Record(::GetLastError()); }
  bool Failed() const { return error.number != 0; }
  void Clear() { error = QorError(); }
  int16_t Take() {
    const int16_t number = error.number;
    Clear();
    return number;
  }
};

// Read and write access, creating a missing file and keeping an existing
// one's content. Asking for write access means that a file which may only be
// read is refused here, so its failure reaches the trace log.
qor::UniqueFile OpenForWriting(const std::string& fileName);

// The open for writing with its second attempt after creating the missing
// directories; a failure of the second open is left in `last`.
qor::UniqueFile OpenCreatingDirectories(const std::string& fileName, LastError& last);

// The leading `count` characters of the payload, never more than it holds.
std::string_view CharsToWrite(std::string_view payload, int32_t count);

// Writes the bytes at the 0-based offset, asking again until all are written.
void WriteAt(HANDLE file, int64_t offset, std::string_view bytes, LastError& last);

// The length of an open file, -1 when it cannot be told.
int64_t OpenFileLength(HANDLE file);

// Cuts the file at `length`; false when that failed.
bool CutAt(HANDLE file, int64_t length);

// Closes the file; a failed close is recorded.
void CloseRecording(qor::UniqueFile& file, LastError& last);

// The wording of a failure line: SaveFailure or AppendFailure (texts.h).
using FailureText = std::string (*)(const std::string& fileName, const QorError& error);

// Writes the failure line when tracing is on. It never fails outward: without
// memory for the line, there is no line.
void TraceFileFailure(FailureText text, const std::string& fileName, const QorError& error);

// The result of a save or append that ran out of memory, after its failure
// line when there is memory enough for that.
int16_t OutOfMemory(FailureText text, const std::string& fileName);
