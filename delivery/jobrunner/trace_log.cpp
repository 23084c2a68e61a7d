// The trace log: one appended, time-stamped line per call.
#include "trace_log.h"

#include "file_turn.h"
#include "trace_format.h"
#include "win_owners.h"

namespace {

constexpr char kTraceLogPath[] = "c:\\etc\\qor.log";

// Another run (or a reader) may hold the log for a moment; waiting briefly
// keeps its line instead of dropping it.
constexpr int kOpenAttempts = 25;
constexpr DWORD kOpenRetryMs = 20;
// Runs hold the turn for one write; a run that waits longer than this loses
// the line instead of holding up its job.
constexpr DWORD kTurnWaitMs = 1000;

qor::UniqueFile OpenTraceLog() {
  // The log may be removed between lines, so others get delete sharing where
  // the system knows it; Windows 95, 98 and Me refuse the flag
  // (ERROR_INVALID_PARAMETER) and are asked again without it.
  DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  for (int attempt = 0;; ++attempt) {
    // Write access, not append-only access: the turn is a lock, which needs
    // read or write data access, and writes of an append-only handle are not
    // placed at the end atomically everywhere (Wine reads the length and
    // writes there, so two runs could write at the same offset). The line is
    // written at the end the turn found instead.
    qor::UniqueFile file(qor::api::CreateFileA(kTraceLogPath, GENERIC_WRITE, sharing, nullptr,
                                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return file;
    const DWORD error = ::GetLastError();
    if (error == ERROR_INVALID_PARAMETER && (sharing & FILE_SHARE_DELETE)) {
      sharing &= ~FILE_SHARE_DELETE;
      continue;
    }
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
        attempt + 1 >= kOpenAttempts) {
      return file;
    }
    qor::api::Sleep(kOpenRetryMs);
  }
}

// Writes the line behind the log's last byte. Runs take turns line by line,
// so that no run writes where another is writing; without a turn (a file
// system that cannot lock) the line is written all the same.
void AppendLine(HANDLE log, const std::string& line) {
  qor::FileTurn turn(log, kTurnWaitMs);
  if (!turn.Take()) return;
  LONG high = 0;
  ::SetLastError(NO_ERROR);
  if (qor::api::SetFilePointer(log, 0, &high, FILE_END) == INVALID_SET_FILE_POINTER &&
      ::GetLastError() != NO_ERROR) {
    return;
  }
  DWORD written = 0;
  qor::api::WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

void WriteTrace(const std::string& message) {
  try {
    qor::UniqueFile log = OpenTraceLog();
    if (!log) return;
    SYSTEMTIME now{};
    qor::api::GetLocalTime(&now);  // one reading, so date and time belong together
    AppendLine(log.get(),
               FormatTraceLine({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute}, message));
  } catch (...) {
    // A line that cannot be written is lost; the caller carries on.
  }
}
