// External program of a file block: started after the write, never waited for.
#include "external_program.h"

#include <cstdint>
#include <vector>

#include "qor_state.h"
#include "texts.h"
#include "trace_log.h"
#include "win_owners.h"

// Pointers and handles widen in a 64-bit process.
static_assert(sizeof(STARTUPINFOA) == (sizeof(void*) == 4 ? 68 : 104),
              "record as the system expects it");

void CallExternalProgram() {
  const std::string& command = JobBlock.ExternalProgram;
  if (command.empty()) return;
  try {
    if (TraceOn) WriteTrace(ExternalProgramCall(command));

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};

    // CreateProcessA may write into the command line it is given.
    std::vector<char> commandLine(command.begin(), command.end());
    commandLine.push_back('\0');

    const BOOL started = qor::api::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr,
                                                  FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                                                  &startup, &process);
    const int32_t code = started ? 0 : static_cast<int32_t>(::GetLastError());
    qor::UniqueHandle processHandle(process.hProcess);
    qor::UniqueHandle threadHandle(process.hThread);

    if (!started && TraceOn) {
      WriteTrace(ExternalProgramFailure(command, code));
    }
    // The program runs on by itself; nothing of it is kept. Its window is
    // left as the system shows it: none of its windows is known here, and
    // finding one would mean waiting for the program.
    processHandle.reset();
    threadHandle.reset();
  } catch (...) {
    // Whatever went wrong leaves no trace line; the handles are closed.
  }
}
