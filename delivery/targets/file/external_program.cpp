// External program of a file block: started after the write, never waited for.
#include "external_program.h"

#include <new>

#include "detached_process.h"
#include "qor_state.h"
#include "texts.h"
#include "trace_log.h"

// The program's window is left as the system shows it: none of its windows
// is known here, and finding one would mean waiting for the program.
void CallExternalProgram() {
  const std::string& command = JobBlock.ExternalProgram;
  if (command.empty()) return;
  try {
    if (TraceOn) WriteTrace(ExternalProgramCall(command));
    const DWORD error =
        StartDetachedProcess(nullptr, command, SW_SHOWNORMAL, NORMAL_PRIORITY_CLASS);
    if (error != NO_ERROR && TraceOn) {
      WriteTrace(ExternalProgramFailure(command, static_cast<int32_t>(error)));
    }
  } catch (const std::bad_alloc&) {
    // Not started for lack of memory: said like any start that failed.
    try {
      if (TraceOn) WriteTrace(ExternalProgramFailure(command, ERROR_NOT_ENOUGH_MEMORY));
    } catch (...) {
    }
  } catch (...) {
    // Whatever else went wrong leaves no trace line.
  }
}
