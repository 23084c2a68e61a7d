// CheckMimeType: may the installer go on? Refuses an older setup over a newer
// installed program, hands back the installed directory, and asks before a
// ".qor" file type of another program is taken over.
#include "qor_set_dll.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "reg_key.h"
#include "setup_check_logic.h"

namespace {

using namespace qor_setup;

constexpr char kCaption[] = "QOR-Setup";
constexpr char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\QOR.exe";
constexpr char kFileTypeKey[] = ".qor";

// One value of an open key as text; empty when it is missing, unreadable or
// longer than 255 characters. The registry type is not looked at, so a
// REG_EXPAND_SZ value comes back unexpanded.
bool ReadValueText(HKEY key, const char* name, std::string& text) {
  char buffer[kValueCapacity];
  DWORD size = sizeof buffer;
  text.clear();
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  return ValueAsText(buffer, size, text);
}

bool VersionCheck(const RegKey& appPaths, const char* sourceDir, char* installDir) {
  std::string installed;
  ReadValueText(appPaths.get(), "Version", installed);

  // The setup version. Without a readable setup.ini, or without a value in
  // it, the setup counts as the installed version and so is never older; the
  // read therefore has an empty default rather than the installed version,
  // whose trailing blanks the profile read would drop, making a missing file
  // look older than "2.1 ".
  std::string setup;
  std::string profilePath;
  if (FormProfilePath(sourceDir, profilePath)) {
    char buffer[kValueCapacity] = {};
    GetPrivateProfileStringA("Startup", "ProductVersion", "", buffer, sizeof buffer,
                             profilePath.c_str());
    setup.assign(buffer, strnlen(buffer, sizeof buffer - 1));
  }

  if (!setup.empty() && InstalledVersionIsNewer(installed.c_str(), setup.c_str())) {
    const std::string message = DowngradeMessage(installed, setup);
    MessageBoxA(GetFocus(), message.c_str(), kCaption, MB_OK | MB_SYSTEMMODAL);
    return false;
  }

  std::string path;
  ReadValueText(appPaths.get(), "Path", path);
  if (!path.empty() && installDir != nullptr) {
    std::memcpy(installDir, path.c_str(), path.size() + 1);
  }
  return true;
}

// What the ".qor" entry leads to: the open command line when it can be found,
// else the class name, else empty. False when ".qor" is free.
bool FileTypeTaken(std::string& programReference) {
  const RegKey fileType = OpenKeyForReading(HKEY_CLASSES_ROOT, kFileTypeKey);
  if (!fileType) return false;
  if (!ReadValueText(fileType.get(), nullptr, programReference) || programReference.empty()) {
    return true;
  }
  const RegKey command =
      OpenKeyForReading(HKEY_CLASSES_ROOT, CommandKeyName(programReference).c_str());
  if (command) {
    ReadValueText(command.get(), nullptr, programReference);
  }
  return true;
}

bool AssociationCheck() {
  std::string programReference;
  if (!FileTypeTaken(programReference)) return true;
  const std::string message = ConflictMessage(programReference);
  return MessageBoxExA(GetFocus(), message.c_str(), kCaption,
                       MB_YESNO | MB_ICONEXCLAMATION | MB_SYSTEMMODAL, 0) == IDYES;
}

}  // namespace

extern "C" unsigned char __stdcall CheckMimeType(uint32_t, const char* sourceDir, uint32_t,
                                                 char* installDir, uint32_t) {
  // Nothing may escape to the installer; a check that cannot be made stops it.
  try {
    const RegKey appPaths = OpenKeyForReading(HKEY_LOCAL_MACHINE, kAppPathsKey);
    if (appPaths) {
      return VersionCheck(appPaths, sourceDir, installDir) ? 1 : 0;
    }
    return AssociationCheck() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
