#include "companion_describe.h"

#include <windows.h>

#include <string>

void PrepareConsole() { SetConsoleOutputCP(1252); }

std::string DescribeCompanionFromIni() {
  char windows[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "Windows-Verzeichnis unbekannt";
  std::string ini(windows);
  if (ini.back() != '\\') ini += '\\';
  ini += "ZIRARUDAZADER.INI";
  if (GetFileAttributesA(ini.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return ini + " fehlt: qor.exe versucht \"hulintern\" zu starten";
  }
  char value[150] = {};
  GetPrivateProfileStringA("ZIRARUDAZADER", "working_data", "", value, sizeof value, ini.c_str());
  return std::string("working_data=") + value + " in " + ini;
}
