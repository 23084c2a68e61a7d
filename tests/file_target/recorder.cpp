// qor_recorder RECORD_DIR [TARGET_FILE]: a program for qor.exe to start. It
// records what it was started with, and the target file as it found it, into
// RECORD_DIR\rec-<process id>.txt, written whole under another name first so
// that a waiting test never reads half a record:
//   cmdline=<its command line>  CR LF
//   show=<STARTUPINFO dwFlags>,<wShowWindow>  CR LF
//   cwd=<its current directory>  CR LF
//   target=<the target's bytes, or <fehlt> when it cannot be read>
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string ReadAll(const char* path) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<fehlt>";
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(h);
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);

  std::string record = std::string("cmdline=") + GetCommandLineA() + "\r\n";
  record += "show=" + std::to_string(startup.dwFlags) + "," +
            std::to_string(startup.wShowWindow) + "\r\n";
  record += std::string("cwd=") + cwd + "\r\n";
  record += "target=" + (argc >= 3 ? ReadAll(argv[2]) : std::string("<fehlt>"));

  const std::string base = std::string(argv[1]) + "\\rec-" + std::to_string(GetCurrentProcessId());
  const std::string partial = base + ".tmp";
  HANDLE h = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  const BOOL ok = WriteFile(h, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(h);
  if (!ok || written != record.size()) return 4;
  return MoveFileA(partial.c_str(), (base + ".txt").c_str()) ? 0 : 5;
}
