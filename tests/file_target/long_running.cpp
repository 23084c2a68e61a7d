// qor_longrun PID_FILE STOP_FILE: a program that runs for a long time. It
// writes its process id into PID_FILE (whole, under another name first) and
// then runs until STOP_FILE appears, at most two minutes, so that a failed
// test leaves nothing running for long.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string partial = std::string(argv[1]) + ".tmp";
  const std::string pid = std::to_string(GetCurrentProcessId());
  HANDLE h = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  WriteFile(h, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
  CloseHandle(h);
  if (!MoveFileA(partial.c_str(), argv[1])) return 4;

  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 120000) {
    if (GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES) return 0;
    Sleep(50);
  }
  return 1;
}
