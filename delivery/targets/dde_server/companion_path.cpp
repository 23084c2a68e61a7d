// LocateCompanionPath: the keyword "hulintern" becomes the path of the
// companion application's dravo.exe, found through ZIRARUDAZADER.INI.
#include "companion_path.h"

#include <string>
#include <vector>

#include "dde_server_rules.h"
#include "file_presence.h"
#include "qor_state.h"
#include "win_api.h"

namespace {

constexpr uint32_t kWindowsDirectoryChars = 255;
constexpr uint32_t kProfileValueChars = 150;

std::string CompanionIni() {
  std::vector<char> buffer(kWindowsDirectoryChars, '\0');
  const UINT length = qor::api::GetWindowsDirectoryA(buffer.data(), kWindowsDirectoryChars);
  return CompanionIniPath(buffer.data(), length, kWindowsDirectoryChars);
}

std::string WorkingData(const std::string& iniPath) {
  std::vector<char> buffer(kProfileValueChars, ' ');
  DWORD copied = qor::api::GetPrivateProfileStringA(
      "ZIRARUDAZADER", "working_data", "", buffer.data(), kProfileValueChars, iniPath.c_str());
  // The copy ends in a NUL inside the buffer.
  if (copied >= kProfileValueChars) copied = kProfileValueChars - 1;
  return std::string(buffer.data(), copied);
}

// The directory of qor.exe; paths longer than MAX_PATH are read whole.
std::string OwnDirectory() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = qor::api::GetModuleFileNameA(nullptr, buffer.data(), size);
    if (length == 0) return {};
    if (length < size) return ExecutableDirectory(std::string_view(buffer.data(), length));
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

void LocateCompanionPath() {
  const std::string iniPath = CompanionIni();
  if (!FileExistsNonEmpty(iniPath)) return;
  JobBlock.DdeService = CompanionPathFromWorkingData(WorkingData(iniPath), OwnDirectory());
}
