#include "windows_version.h"

#include "dde_server_rules.h"
#include "win_api.h"

// Only 32-bit fields and text: the same size in 32-bit and 64-bit processes.
static_assert(sizeof(OSVERSIONINFOA) == 148, "the record GetVersionExA fills");

int16_t GetWindowsVersionCode() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!qor::api::GetVersionExA(&info)) return 0;
  return VersionCodeFor(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}
