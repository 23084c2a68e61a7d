// qor_launch [PROGRAM]: starts qor.exe, or PROGRAM (qorcheck.exe), beside
// this program with the argument text taken from the environment variable
// QOR_ARGUMENT_TEXT, exactly as it stands, and waits for it; its standard
// handles are this program's. Wine's own start would quote an argument with a
// blank. A "DDE-Export" message box that qor.exe shows is answered with OK and
// printed to standard output, so an unattended run never hangs on it. Used by
// scripts/qor.
#include <windows.h>

#include <string>
#include <vector>

#include "box_answerer.h"

namespace {

void Print(const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written,
            nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string exe(self);
  exe = exe.substr(0, exe.find_last_of('\\')) + "\\" + (argc > 1 ? argv[1] : "qor.exe");

  std::string argument;
  const DWORD n = GetEnvironmentVariableA("QOR_ARGUMENT_TEXT", nullptr, 0);
  if (n > 0) {
    std::vector<char> buffer(n);
    GetEnvironmentVariableA("QOR_ARGUMENT_TEXT", buffer.data(), n);
    argument = buffer.data();
  }

  std::string commandLine = "\"" + exe + "\" " + argument;
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  BoxAnswerer answerer("DDE-Export", IDOK);
  if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                      &pi)) {
    Print(exe.substr(exe.find_last_of('\\') + 1) + " konnte nicht gestartet werden\n");
    return 2;
  }
  // qor.exe waits for each box it shows, so every one was seen once it ends.
  WaitForSingleObject(pi.hProcess, INFINITE);
  for (const SeenBox& box : answerer.Stop()) {
    Print("Meldung \"DDE-Export\": " + box.text + "\n");
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}
