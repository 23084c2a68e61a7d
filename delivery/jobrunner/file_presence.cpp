// FileExistsNonEmpty: the program's one test for whether a file is present.
#include "file_presence.h"

#include "win_owners.h"

bool FileExistsNonEmpty(const std::string& path) {
  qor::UniqueFile file(qor::api::CreateFileA(path.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  int64_t size = 0;
  // A handle that only looked at the file says nothing by failing to close.
  return qor::FileSizeOf(file.get(), size) && size > 0;
}
