// File target: a block's payload replaces its file or is appended to it; when
// the file cannot be opened, the missing directories are created and the open
// is tried once more.
#include <algorithm>
#include <cstdint>
#include <new>

#include "error_table.h"
#include "file_paths.h"
#include "procedures.h"
#include "qor_state.h"
#include "targets.h"
#include "trace_format.h"
#include "win_owners.h"

namespace {

// The last error of one procedure call: a failing step records itself and the
// procedure goes on with its next step.
struct LastError {
  QorError error;

  void Record() { error = ErrorFromWin32(::GetLastError()); }
  void Clear() { error = QorError(); }
  int16_t Take() {
    const int16_t number = error.number;
    Clear();
    return number;
  }
};

// Read and write access, creating a missing file and keeping an existing
// one's content. Asking for write access means that a file which may only be
// read is refused here, so its failure takes the second attempt and reaches
// the trace log instead of failing silently in the write.
qor::UniqueFile OpenForWriting(const std::string& fileName) {
  return qor::UniqueFile(qor::api::CreateFileA(
      fileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The open for writing with its second attempt after creating the missing
// directories; a failure of the second open is left in `last`.
qor::UniqueFile OpenCreatingDirectories(const std::string& fileName, LastError& last) {
  qor::UniqueFile file = OpenForWriting(fileName);
  if (file) return file;
  CreateMissingDirectories(fileName);
  last.Clear();
  file = OpenForWriting(fileName);
  if (!file) last.Record();
  return file;
}

// How many leading characters of the payload are written: never more than it
// holds.
size_t CharsToWrite(const std::string& payload, int32_t count) {
  if (count <= 0) return 0;
  return std::min(payload.size(), static_cast<size_t>(count));
}

// Writes the bytes at the 0-based offset; the system may take them in parts,
// so it is asked again until all are written.
void WriteAt(HANDLE file, int64_t offset, const char* bytes, size_t count, LastError& last) {
  if (!qor::SeekTo(file, offset)) {
    last.Record();
    return;
  }
  while (count > 0) {
    DWORD written = 0;
    if (!qor::api::WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr)) {
      last.Record();
      return;
    }
    if (written == 0) {  // no progress: stop instead of asking forever
      last.error = ErrorFromWin32(ERROR_WRITE_FAULT);
      return;
    }
    bytes += written;
    count -= written;
  }
}

// The length of an open file, -1 when it cannot be told.
int64_t OpenFileLength(HANDLE file) {
  int64_t size = 0;
  return qor::FileSizeOf(file, size) ? size : -1;
}

void CloseRecording(qor::UniqueFile& file, LastError& last) {
  if (!qor::api::CloseHandle(file.release())) last.Record();
}

// True when a listing of the path, directories included, yields a name.
bool SomethingExists(const std::string& path) {
  WIN32_FIND_DATAA found;
  const qor::UniqueFind listing(qor::api::FindFirstFileA(ExistencePattern(path).c_str(), &found));
  return static_cast<bool>(listing);
}

// Creates one directory with default security; its outcome is judged later.
void CreateDirectoryLevel(const std::string& path) {
  SECURITY_ATTRIBUTES security{};
  security.nLength = sizeof security;
  security.lpSecurityDescriptor = nullptr;
  security.bInheritHandle = FALSE;
  qor::api::CreateDirectoryA(path.c_str(), &security);
}

// The descriptor pointer widens in a 64-bit process.
static_assert(sizeof(SECURITY_ATTRIBUTES) == (sizeof(void*) == 4 ? 12 : 24),
              "record as the system expects it");

}  // namespace

int16_t SaveToFile(const std::string& fileName, const std::string& payload, int32_t count) {
  try {
    LastError last;
    // A failed deletion shows in no result: the open below decides.
    if (FileExistsNonEmpty(fileName)) qor::api::DeleteFileA(fileName.c_str());
    last.Clear();
    qor::UniqueFile file = OpenCreatingDirectories(fileName, last);
    if (!file) {
      if (TraceOn) {
        WriteTrace(fileName + " kann nicht gespeichert werden. Fehler " +
                   SignedNumber(last.error.number) + " " + last.error.description);
      }
      return last.Take();
    }
    WriteAt(file.get(), 0, payload.data(), CharsToWrite(payload, count), last);
    // An old file that could not be deleted is cut where the payload ends, so
    // the new bytes are never followed by stale old ones.
    if (!qor::api::SetEndOfFile(file.get())) last.Record();
    CloseRecording(file, last);
    return last.Take();
  } catch (const std::bad_alloc&) {
    return qor_errors::kOutOfMemory;
  }
}

int16_t AppendToFile(const std::string& fileName, const std::string& payload, int32_t count) {
  try {
    LastError last;
    const int32_t existing = FileExistsNonEmpty(fileName) ? GetFileLength(fileName) : 0;
    qor::UniqueFile file = OpenCreatingDirectories(fileName, last);
    if (!file) {
      if (TraceOn) {
        WriteTrace(fileName + "  konnte nicht ge\xF6" "ffnet werden.  Fehler " +
                   SignedNumber(last.error.number) + ": " + last.error.description);
      }
      return last.Take();
    }
    // The file was found but its length could not be read (it vanished, or
    // is longer than a 32-bit length): the payload goes behind whatever the
    // open found rather than being lost.
    const int64_t offset = existing >= 0 ? existing : OpenFileLength(file.get());
    if (offset < 0) {
      last.Record();
    } else {
      WriteAt(file.get(), offset, payload.data(), CharsToWrite(payload, count), last);
    }
    CloseRecording(file, last);
    return last.Take();
  } catch (const std::bad_alloc&) {
    return qor_errors::kOutOfMemory;
  }
}

int32_t GetFileLength(const std::string& fileName) {
  const qor::UniqueFile file(qor::api::CreateFileA(fileName.c_str(), GENERIC_READ,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return -1;
  const int64_t length = OpenFileLength(file.get());
  if (length < 0 || length > INT32_MAX) return -1;
  return static_cast<int32_t>(length);
}

bool CreateMissingDirectories(const std::string& path) {
  try {
    const std::string directory = DirectoryPart(path);
    // A file in the current directory or below a bare leading "\": nothing
    // to create.
    if (directory.empty()) return false;
    if (SomethingExists(directory)) return true;
    for (const std::string& prefix : DirectoryPrefixes(directory)) {
      if (!SomethingExists(prefix)) CreateDirectoryLevel(prefix);
    }
    // The last level has no "\" behind it and so is no prefix.
    CreateDirectoryLevel(directory);
    return SomethingExists(directory);
  } catch (const std::bad_alloc&) {
    return false;
  }
}
