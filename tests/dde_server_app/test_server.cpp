// Stand-in for a DDE server application: records how it was started in a
// file beside itself ("<own path>.<pid>.started") and then just stays alive
// until a test ends it, two minutes at most.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char own[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, own, sizeof own - 1);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);

  char record[MAX_PATH * 4];
  std::snprintf(record, sizeof record, "command line=%s\r\nshow flag=%d\r\nshow=%u\r\n",
                GetCommandLineA(), (startup.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0,
                static_cast<unsigned>(startup.wShowWindow));
  // Written under a temporary name and renamed, so a reader never sees half of it.
  const std::string marker = std::string(own) + "." + std::to_string(GetCurrentProcessId()) + ".started";
  const std::string partial = marker + ".tmp";
  HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, record, static_cast<DWORD>(std::strlen(record)), &written, nullptr);
  CloseHandle(file);
  if (!MoveFileA(partial.c_str(), marker.c_str())) return 1;

  Sleep(120000);
  return 0;
}
