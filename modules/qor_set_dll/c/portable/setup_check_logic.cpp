#include "setup_check_logic.h"

#include <cstring>

namespace qor_setup {

bool InstalledVersionIsNewer(const char* installed, const char* setup) {
  const auto* a = reinterpret_cast<const unsigned char*>(installed);
  const auto* b = reinterpret_cast<const unsigned char*>(setup);
  // Stops at the end of the installed version, or at the first difference,
  // which at the latest is the setup version's terminator: never reads past it.
  for (; *a != 0; ++a, ++b) {
    if (*a != *b) return *a > *b;
  }
  return false;
}

bool FormProfilePath(const char* sourceDir, std::string& path) {
  path.clear();
  if (sourceDir == nullptr) return false;
  constexpr char kName[] = "\\setup.ini";
  const size_t length = std::strlen(sourceDir) + sizeof kName - 1;
  if (length + 1 > kProfilePathCapacity) return false;
  path.reserve(length);
  path.append(sourceDir).append(kName);
  return true;
}

std::string CommandKeyName(const std::string& className) {
  return className + "\\shell\\open\\command";
}

bool ValueAsText(const char* buffer, size_t count, std::string& text) {
  text.clear();
  if (count > kValueCapacity) return false;
  const void* nul = std::memchr(buffer, '\0', count);
  const size_t length =
      nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - buffer) : count;
  if (length + 1 > kValueCapacity) return false;
  text.assign(buffer, length);
  return true;
}

// The texts are Windows-1252; letters beyond ASCII are octal escapes, as
// everywhere in the project (legend in delivery/portable/texts.h).
std::string DowngradeMessage(const std::string& installed, const std::string& setup) {
  return "Die installierte Version " + installed + " ist neuer als die aktuelle Version " + setup +
         ".\n"
         "Um eine \344ltere QOR-Version zu installieren, muss das neuere QOR zuvor "
         "deinstalliert werden.";
}

std::string ConflictMessage(const std::string& programReference) {
  std::string text = "Der qor-Mime-Type-Eintrag wird bereits verwendet.";
  if (!programReference.empty()) {
    text += "\n(Programmverweis: " + programReference + ")";
  }
  text += "\nSoll der vorhandene Eintrag \374berschrieben werden?";
  return text;
}

}  // namespace qor_setup
