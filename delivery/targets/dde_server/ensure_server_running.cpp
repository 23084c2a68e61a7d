// EnsureDdeServerRunning: the program that serves a DDE block runs before the
// conversation is opened; it is looked for among the running processes by its
// executable path and started when missing.
#include "ensure_server_running.h"

#include <exception>

#include "detached_process.h"
#include "message_pump.h"
#include "process_scan.h"
#include "program_lookup.h"
#include "qor_state.h"
#include "server_command_line.h"
#include "texts.h"
#include "trace_log.h"
#include "win_api.h"
#include "windows_version.h"

namespace {

// The program has no visible window: the box belongs to no window of it.
constexpr HWND kMessageBoxOwner = nullptr;

// The one place the program shows something to the user; the run halts here
// until the box is closed.
void ReportFailure(const std::string& path, const QorError& failure) {
  try {
    const std::string message = DdeServerFailure(path, failure);
    qor::api::MessageBoxA(kMessageBoxOwner, message.c_str(), kDdeServerBoxCaption,
                          MB_OK | MB_ICONSTOP);
    if (TraceOn) WriteTrace(message);
  } catch (...) {
    // Without memory for the text there is nothing left to show.
  }
}

// Starts the program `path` names, shown without taking the focus, and does
// not wait for it. A value the job quoted, and one without a blank, go to
// Windows as they stand: a name without a directory is looked for where
// Windows looks (the program's directory, the current directory, the system
// folders, PATH). One with a blank is taken apart here, so that no shorter
// program than the one meant starts (server_command_line.h); where no part of
// it names a program it is not handed over at all.
bool StartServer(const std::string& path, QorError& failure) {
  const ServerCommand command = ServerCommandFor(path, *ThisMachinesFiles());
  if (command.start == ServerStart::kRefused) {
    failure = ErrorFromNumber(qor_errors::kBadFileName);
    return false;
  }
  if (!command.found) {
    failure = ErrorFromNumber(qor_errors::kFileNotFound);
    return false;
  }
  const DWORD error = StartDetachedProcess(nullptr, command.commandLine, SW_SHOWNOACTIVATE, 0);
  if (error != NO_ERROR) {
    failure = ErrorFromWin32(error);
    return false;
  }
  // The program's own windows see what is queued already.
  DispatchPendingMessages();
  return true;
}

}  // namespace

bool EnsureDdeServerRunning(const std::string& path) {
  QorError failure;
  try {
    const int16_t code = GetWindowsVersionCode();
    ScanOutcome outcome = ScanOutcome::Found;  // releases without a scan count as running
    if (code >= 4 && code <= 6) {
      outcome = ScanProcessList(path, failure);
    } else if (code >= 1 && code <= 3) {
      outcome = ScanSnapshot(path, failure);
    }
    switch (outcome) {
      case ScanOutcome::CannotScan:
        return false;
      case ScanOutcome::Failed:
        ReportFailure(path, failure);
        return false;
      case ScanOutcome::NotFound:
        if (!StartServer(path, failure)) {
          ReportFailure(path, failure);
          return false;
        }
        return true;
      case ScanOutcome::Found:
        return true;
    }
  } catch (const std::exception&) {
    try {
      ReportFailure(path, ErrorFromNumber(qor_errors::kOutOfMemory));
    } catch (const std::exception&) {
      // Not even the description fits; the block is given up silently.
    }
  }
  return false;
}
