// stand_in [FILE]: a stand-in for a program that qor.exe starts, a DDE server
// or a block's external program. It records how it was started in a file
// beside itself, "<own path>.<process id>.started", and then stays alive
// until a test ends it, two minutes at most. The record:
//   command line=<its command line> CR LF
//   show=<STARTUPINFO dwFlags>,<wShowWindow> CR LF
//   cwd=<its current directory> CR LF
// and with an argument also the bytes of FILE as it found them then:
//   file=<the bytes, or "<fehlt>" when it cannot be read>
#include <windows.h>

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
  char own[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, own, sizeof own - 1);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);

  std::string record = std::string("command line=") + GetCommandLineA() + "\r\n";
  record += "show=" + std::to_string(startup.dwFlags) + "," + std::to_string(startup.wShowWindow) +
            "\r\n";
  record += std::string("cwd=") + cwd + "\r\n";
  if (argc >= 2) record += "file=" + ReadAll(argv[1]);

  // Written under a temporary name and renamed, so a reader never sees half of it.
  const std::string name = std::string(own) + "." + std::to_string(GetCurrentProcessId());
  HANDLE file =
      CreateFileA((name + ".tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != record.size()) return 1;
  if (!MoveFileA((name + ".tmp").c_str(), (name + ".started").c_str())) return 1;

  Sleep(120000);
  return 0;
}
