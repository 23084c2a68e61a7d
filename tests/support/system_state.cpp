#include "system_state.h"

#include <windows.h>

namespace e2e {

namespace {

bool SetValue(const std::string& key, const char* name, const std::string& text) {
  HKEY opened = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &opened, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool ok =
      RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(opened);
  return ok;
}

}  // namespace

const Release kReleases[8] = {{"winxp", 6}, {"win2k", 5}, {"nt40", 4}, {"win98", 2},
                              {"win95", 1}, {"winme", 3}, {"win7", 0}, {"win2003", 0}};

const Release* FindRelease(const std::string& name) {
  for (const Release& release : kReleases) {
    if (name == release.name) return &release;
  }
  return nullptr;
}

PresentedWindows::PresentedWindows(const std::string& exeName, const std::string& release,
                                   bool withoutPsapi)
    : key_("Software\\Wine\\AppDefaults\\" + exeName) {
  ok_ = SetValue(key_, "Version", release);
  // An empty override disables the library: it cannot be loaded at all.
  if (ok_ && withoutPsapi) ok_ = SetValue(key_ + "\\DllOverrides", "psapi", "");
}

PresentedWindows::~PresentedWindows() {
  RegDeleteKeyA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
}

std::string CompanionIni::Path() {
  char directory[MAX_PATH] = {};
  GetWindowsDirectoryA(directory, MAX_PATH);
  return std::string(directory) + "\\ZIRARUDAZADER.INI";
}

CompanionIni::CompanionIni() { existed_ = ReadFileBytes(Path(), saved_); }

CompanionIni::~CompanionIni() {
  if (existed_) {
    WriteFileBytes(Path(), saved_);
  } else {
    Remove();
  }
}

bool CompanionIni::Write(const std::string& content) const {
  return WriteFileBytes(Path(), content);
}

std::string WorkingDataIni(const std::string& value) {
  return "[ZIRARUDAZADER]\r\nworking_data=" + value + "\r\n";
}

bool CompanionIni::Remove() const {
  return DeleteFileA(Path().c_str()) != FALSE || GetLastError() == ERROR_FILE_NOT_FOUND;
}

}  // namespace e2e
