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
// Names tried for the temporary file; the old file moved aside takes the
// next as many.
constexpr uint32_t kNameAttempts = 16;

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
    for (uint32_t attempt = 0; attempt < kNameAttempts; ++attempt) {
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
    return ReplaceWithoutMoveFileEx(fileName, last);
  }

  // After the old file was written in place: what was kept of it beside it is
  // not needed any more.
  void DropAside() {
    if (!aside_.empty()) qor::api::DeleteFileA(aside_.c_str());
    aside_.clear();
  }

  void Remove() {
    file_.reset();
    if (!name_.empty()) qor::api::DeleteFileA(name_.c_str());
    name_.clear();
  }

 private:
  // Windows 95, 98 and Me have no MoveFileExA. The old file is moved aside
  // under a name of its own, the new content renamed into its place, and only
  // then is the old one deleted; a refused rename puts the old file back. So
  // no failure leaves the name without either content, and should even the
  // way back be refused, the old content stays beside it. Only when no one
  // has the old file open: Windows 95 moves and deletes open files, and their
  // holder would go on with a file that is no longer there. A held file is
  // written in place instead.
  bool ReplaceWithoutMoveFileEx(const std::string& fileName, LastError& last) {
    if (!NoOneHolds(fileName)) {
      last.Record();
      return false;
    }
    if (!MoveAside(fileName, last)) return false;
    if (!qor::api::MoveFileA(name_.c_str(), fileName.c_str())) {
      // The code first: recording it may need memory, and the way back must
      // not wait for that.
      const DWORD refused = ::GetLastError();
      if (!aside_.empty() && qor::api::MoveFileA(aside_.c_str(), fileName.c_str())) aside_.clear();
      last.Record(refused);
      return false;
    }
    name_.clear();
    DropAside();
    return true;
  }

  // Moves the old file to a free name beside it; `aside_` stays empty when
  // there was no old file.
  bool MoveAside(const std::string& fileName, LastError& last) {
    const DWORD processId = qor::api::GetCurrentProcessId();
    for (uint32_t attempt = kNameAttempts; attempt < 2 * kNameAttempts; ++attempt) {
      std::string aside = TemporaryNameBeside(fileName, processId, attempt);
      if (qor::api::MoveFileA(fileName.c_str(), aside.c_str())) {
        aside_ = std::move(aside);
        return true;
      }
      const DWORD error = ::GetLastError();
      if (error == ERROR_FILE_NOT_FOUND) return true;
      if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
    }
    last.Record();
    return false;
  }

  std::string name_;
  std::string aside_;  // the old content, moved aside while the new takes its name
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
    if (last.Failed()) {
      TraceFileFailure(SaveFailure, fileName, last.error);
    } else {
      temporary.DropAside();
    }
    return last.Take();
  } catch (const std::exception&) {
    return OutOfMemory(SaveFailure, fileName);
  }
}
