// File target: the length of a file and the directories missing on a file's
// path. Saving and appending have files of their own.
#include <cstdint>
#include <new>

#include "file_paths.h"
#include "file_steps.h"
#include "file_target.h"
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

int32_t GetFileLength(const std::string& fileName) {
  const qor::UniqueFile file(qor::api::CreateFileA(fileName.c_str(), GENERIC_READ,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return -1;
  const int64_t length = OpenFileLength(file.get());
  if (length < 0 || length > INT32_MAX) return -1;
  return static_cast<int32_t>(length);
}

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
  } catch (const std::bad_alloc&) {
    return false;
  }
}
