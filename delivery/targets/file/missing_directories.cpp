// CreateMissingDirectories: the directories missing on a file's path, created
// level by level before a second attempt to open the file.
#include "file_target.h"

#include <exception>

#include "file_paths.h"
#include "win_owners.h"

namespace {

// True when a listing of the path, directories included, yields a name.
bool SomethingExists(const std::string& path) {
  WIN32_FIND_DATAA found;
  const qor::UniqueFind listing(qor::api::FindFirstFileA(ExistencePattern(path).c_str(), &found));
  return static_cast<bool>(listing);
}

// Creates one directory with default security; its outcome is judged later.
void CreateDirectoryLevel(const std::string& path) {
  SECURITY_ATTRIBUTES security{};
  security.nLength = sizeof security;
  security.lpSecurityDescriptor = nullptr;
  security.bInheritHandle = FALSE;
  qor::api::CreateDirectoryA(path.c_str(), &security);
}

// The descriptor pointer widens in a 64-bit process.
static_assert(sizeof(SECURITY_ATTRIBUTES) == (sizeof(void*) == 4 ? 12 : 24),
              "record as the system expects it");

}  // namespace

bool CreateMissingDirectories(const std::string& path) {
  try {
    const std::string directory = DirectoryPart(path);
    // A file in the current directory or below a bare leading "\": nothing
    // to create.
    if (directory.empty()) return false;
    if (SomethingExists(directory)) return true;
    for (const std::string& prefix : DirectoryPrefixes(directory)) {
      if (!SomethingExists(prefix)) CreateDirectoryLevel(prefix);
    }
    // The last level has no "\" behind it and so is no prefix.
    CreateDirectoryLevel(directory);
    return SomethingExists(directory);
  } catch (const std::exception&) {
    return false;
  }
}
