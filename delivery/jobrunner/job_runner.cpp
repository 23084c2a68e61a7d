// Start-up of the delivery program: trace switch, argument, reading the job.
#include "job_runner.h"

#include <exception>
#include <limits>
#include <string>

#include "companion_path.h"
#include "deliver_block.h"
#include "error_table.h"
#include "file_presence.h"
#include "job_loop.h"
#include "job_parser.h"
#include "process_argument.h"
#include "qor_state.h"
#include "text_format.h"
#include "texts.h"
#include "trace_log.h"
#include "win_owners.h"

namespace {

constexpr char kTraceSwitchPath[] = "c:\\etc\\qortest";

qor::UniqueFile OpenForReading(const std::string& path) {
  return qor::UniqueFile(qor::api::CreateFileA(path.c_str(), GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Reads the whole file into `text`, one char per byte. False after any
// failure, which it traces itself; a file too long for 32-bit positions, or
// one whose length cannot be had in memory, fails as "out of memory". The
// file is closed again before it returns.
bool ReadWholeFile(const std::string& path, JobTextBuffer& text) {
  QorError error;
  try {
    qor::UniqueFile file = OpenForReading(path);
    int64_t size = 0;
    if (!file || !qor::FileSizeOf(file.get(), size)) {
      error = ErrorFromWin32(::GetLastError());
    } else if (size == 0) {
      return true;
    } else if (size > std::numeric_limits<int32_t>::max()) {
      // Positions in the text are 32-bit; such a file cannot be walked.
      error = ErrorFromNumber(qor_errors::kOutOfMemory);
    } else {
      char* bytes = text.Resize(static_cast<size_t>(size));
      size_t done = 0;
      while (done < text.size()) {
        // One read of the rest: under Wine reading in pieces of 64 MB took
        // six times as long.
        const DWORD want = static_cast<DWORD>(text.size() - done);
        DWORD got = 0;
        if (!qor::api::ReadFile(file.get(), bytes + done, want, &got, nullptr)) {
          error = ErrorFromWin32(::GetLastError());
          break;
        }
        if (got == 0) {  // the file shrank while being read
          error = ErrorFromWin32(ERROR_HANDLE_EOF);
          break;
        }
        done += got;
      }
      if (error.number == 0) return true;
    }
  } catch (const std::exception&) {
    // No memory for the text (std::bad_alloc), or more than can be asked for.
    error = ErrorFromNumber(qor_errors::kOutOfMemory);
  }
  text.clear();
  if (TraceOn) WriteTrace(ReadFailure(error));
  return false;
}

}  // namespace

void RunJobFile() {
  const std::string argument = ProcessArgumentText();

  // Tracing is on while the switch file is there and not empty.
  TraceOn = FileExistsNonEmpty(kTraceSwitchPath);

  if (TraceOn) {
    WriteTrace(kTraceStart);
    WriteTrace(ParameterLine(argument));
  }
  if (TrimBlanks(argument).empty()) {
    if (TraceOn) WriteTrace(kArgumentMissing);
    return;
  }
  if (!FileExistsNonEmpty(argument)) {
    if (TraceOn) WriteTrace(JobFileMissing(argument));
    return;
  }
  if (!ReadWholeFile(argument, JobText)) {
    if (TraceOn) WriteTrace(kJobNotRead);
    return;
  }
  if (JobText.empty()) {
    if (TraceOn) WriteTrace(kJobEmpty);
    return;
  }
  BlockDeliverer = DeliverBlock;
  CompanionLocator = LocateCompanionPath;
  RunJobLoop();
}
