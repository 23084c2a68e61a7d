// FileExistsNonEmpty: the program's one test for whether a file is present.
#include "file_presence.h"

#include "win_owners.h"

bool FileExistsNonEmpty(const std::string& path) {
  qor::UniqueFile file(qor::api::CreateFileA(path.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  int64_t size = 0;
  if (!qor::FileSizeOf(file.get(), size)) return false;
  return qor::api::CloseHandle(file.release()) && size > 0;
}
