// SaveToFile: the payload replaces the file. The new content is written
// beside the old file first and replaces it only when it is complete, so a
// failed save leaves the old file as it was.
#include "file_target.h"

#include <exception>

#include "file_paths.h"
#include "file_steps.h"
#include "texts.h"

namespace {

constexpr int kReplaceAttempts = 5;
constexpr DWORD kReplaceRetryMs = 50;

// True when `fileName` opens without sharing (no one else has it open) or is
// not there at all.
bool NoOneHolds(const std::string& fileName) {
  const qor::UniqueFile alone(qor::api::CreateFileA(fileName.c_str(), GENERIC_READ, 0, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return alone || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// The temporary file is removed unless it became the file itself.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() { Remove(); }

  // Creates a new file beside `fileName`; another name when a run that was
  // ended by force left one of the same name.
  bool Create(const std::string& fileName) {
    const DWORD processId = qor::api::GetCurrentProcessId();
    for (uint32_t attempt = 0; attempt < 16; ++attempt) {
      name_ = TemporaryNameBeside(fileName, processId, attempt);
      file_ = qor::UniqueFile(qor::api::CreateFileA(name_.c_str(), GENERIC_WRITE, 0, nullptr,
                                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (file_) return true;
      if (::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    name_.clear();
    return false;
  }

  // Writes the whole content and closes the file. The bytes go to the system
  // as they are written, with nothing held back here; a flush to the disk
  // itself would cost more than the whole save.
  bool Fill(std::string_view bytes, LastError& last) {
    WriteAt(file_.get(), 0, bytes, last);
    CloseRecording(file_, last);
    return !last.Failed();
  }

  // Puts the new content in the old file's place; false when the system
  // refuses. The old file is then still there, unless a release without
  // MoveFileExA deleted it and refused only the rename.
  bool Replace(const std::string& fileName, LastError& last) {
    DWORD error = NO_ERROR;
    for (int attempt = 1;; ++attempt) {
      if (qor::api::MoveFileExA(name_.c_str(), fileName.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        name_.clear();
        return true;
      }
      error = ::GetLastError();
      // A virus scanner, indexer or sync tool often opens a freshly written
      // file for a moment; the replace is asked again before it is given up.
      if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
          attempt >= kReplaceAttempts) {
        break;
      }
      qor::api::Sleep(kReplaceRetryMs);
    }
    if (error != ERROR_CALL_NOT_IMPLEMENTED && error != ERROR_PROC_NOT_FOUND) {
      last.Record(error);
      return false;
    }
    // Windows 95, 98 and Me have no MoveFileExA. The new content is complete,
    // so the old file may go now, but only when no one has it open: Windows
    // 95 deletes an open file, and its holder would go on writing into a
    // deleted file. A held file is written in place instead.
    if (!NoOneHolds(fileName)) {
      last.Record();
      return false;
    }
    if (!qor::api::DeleteFileA(fileName.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
      last.Record();
      return false;
    }
    if (!qor::api::MoveFileA(name_.c_str(), fileName.c_str())) {
      last.Record();
      return false;
    }
    name_.clear();
    return true;
  }

  void Remove() {
    file_.reset();
    if (!name_.empty()) qor::api::DeleteFileA(name_.c_str());
    name_.clear();
  }

 private:
  std::string name_;
  qor::UniqueFile file_;
};

// The old file overwritten from its start and cut where the new content ends.
// A file this open creates is removed again when the write fails.
void WriteInPlace(const std::string& fileName, std::string_view bytes, LastError& last) {
  last.Clear();
  qor::UniqueFile file = OpenForWriting(fileName);
  if (!file) {
    last.Record();
    return;
  }
  const bool created = ::GetLastError() != ERROR_ALREADY_EXISTS;
  WriteAt(file.get(), 0, bytes, last);
  if (!last.Failed() && !qor::api::SetEndOfFile(file.get())) last.Record();
  CloseRecording(file, last);
  if (last.Failed() && created) qor::api::DeleteFileA(fileName.c_str());
}

}  // namespace

int16_t SaveToFile(const std::string& fileName, std::string_view payload, int32_t count) {
  LastError last;
  try {
    const std::string_view bytes = CharsToWrite(payload, count);
    TemporaryFile temporary;
    bool created = temporary.Create(fileName);
    if (!created) {
      CreateMissingDirectories(fileName);
      created = temporary.Create(fileName);
    }
    if (created) {
      if (!temporary.Fill(bytes, last)) {
        temporary.Remove();
        TraceFileFailure(SaveFailure, fileName, last.error);
        return last.Take();
      }
      if (temporary.Replace(fileName, last)) return 0;
      // Its space is given back before the old file is written in place.
      temporary.Remove();
    }
    // No file could be made beside it, or the old file could not be replaced
    // (another program holds it open): written in place when it opens.
    WriteInPlace(fileName, bytes, last);
    if (last.Failed()) TraceFileFailure(SaveFailure, fileName, last.error);
    return last.Take();
  } catch (const std::exception&) {
    return OutOfMemory(SaveFailure, fileName);
  }
}
