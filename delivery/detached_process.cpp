#include "detached_process.h"

#include <vector>

#include "win_owners.h"

// Pointers and handles widen in a 64-bit process.
static_assert(sizeof(STARTUPINFOA) == (sizeof(void*) == 4 ? 68 : 104),
              "record as the system expects it");

DWORD StartDetachedProcess(const char* applicationName, const std::string& commandLine,
                           WORD showWindow, DWORD creationFlags) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = showWindow;
  PROCESS_INFORMATION started{};
  // CreateProcessA may write into the command line it is given.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  const BOOL ok = qor::api::CreateProcessA(applicationName, line.data(), nullptr, nullptr, FALSE,
                                           creationFlags, nullptr, nullptr, &startup, &started);
  const DWORD error = ok ? NO_ERROR : ::GetLastError();
  const qor::UniqueHandle process(started.hProcess);
  const qor::UniqueHandle thread(started.hThread);
  return error;
}
