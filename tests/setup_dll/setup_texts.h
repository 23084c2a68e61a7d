// What the setup-library tests share: the registry places, the library's
// message texts (Windows-1252) and the guarded InstallDir buffer's layout.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace setup_test {

constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\QOR.exe";
constexpr char kFileType[] = ".qor";
// The class of another program that the random states give ".qor".
constexpr char kRandomClass[] = "QorTest.RandomClass";
// The keys CheckMimeType opens, by the ends of their full names.
inline const std::vector<std::wstring> kLibraryKeys = {L"\\App Paths\\QOR.exe", L"\\.qor",
                                                       L"\\shell\\open\\command"};

// The downgrade message for an installed and a setup version, and the question
// before the file type is taken over, naming the program it refers to ("": none).
inline std::string DowngradeText(const std::string& installed, const std::string& setup) {
  return "Die installierte Version " + installed + " ist neuer als die aktuelle Version " + setup +
         ".\nUm eine \344ltere QOR-Version zu installieren, muss das neuere QOR zuvor "
         "deinstalliert werden.";
}
inline std::string ConflictText(const std::string& reference) {
  return "Der qor-Mime-Type-Eintrag wird bereits verwendet.\n" +
         (reference.empty() ? "" : "(Programmverweis: " + reference + ")\n") +
         "Soll der vorhandene Eintrag \374"
         "berschrieben werden?";
}

constexpr size_t kInstallDirSize = 256;
constexpr size_t kGuard = 64;
constexpr char kGuardByte = '\xA5';
constexpr char kUntouched[] = "C:\\caller\\default";

}  // namespace setup_test
