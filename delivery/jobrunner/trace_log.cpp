// The trace log: one appended, time-stamped line per call.
#include "trace_log.h"

#include "trace_format.h"
#include "win_owners.h"

namespace {

constexpr char kTraceLogPath[] = "c:\\etc\\qor.log";

// Another run (or a reader) may hold the log for a moment; waiting briefly
// keeps its line instead of dropping it.
constexpr int kOpenAttempts = 25;
constexpr DWORD kOpenRetryMs = 20;

qor::UniqueFile OpenTraceLog() {
  for (int attempt = 0;; ++attempt) {
    // Append-only access: every write lands at the current end of the file,
    // so lines of runs that overlap in time interleave whole.
    qor::UniqueFile file(qor::api::CreateFileA(
        kTraceLogPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return file;
    const DWORD error = ::GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
        attempt + 1 >= kOpenAttempts) {
      return file;
    }
    qor::api::Sleep(kOpenRetryMs);
  }
}

}  // namespace

void WriteTrace(const std::string& message) {
  try {
    qor::UniqueFile log = OpenTraceLog();
    if (!log) return;
    SYSTEMTIME now{};
    qor::api::GetLocalTime(&now);  // one reading, so date and time belong together
    const std::string line =
        FormatTraceLine({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute}, message);
    DWORD written = 0;
    qor::api::WriteFile(log.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  } catch (...) {
    // A line that cannot be written is lost; the caller carries on.
  }
}
