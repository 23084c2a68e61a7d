// Placeholder until the DDE server application lands.
#include "procedures.h"
#include "targets.h"

void LocateCompanionPath() {}
bool EnsureDdeServerRunning(const std::string&) { return true; }
int16_t GetWindowsVersionCode() { return 0; }
std::string AddTrailingBackslash(std::string& path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}
