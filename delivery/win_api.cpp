#include "win_api.h"

namespace qor {

FARPROC BindProcedure(const char* library, const char* name) {
  // LoadLibraryA counts references itself; the library stays loaded for the
  // rest of the run, which is what every caller wants.
  HMODULE module = ::GetModuleHandleA(library);
  if (module == nullptr) module = ::LoadLibraryA(library);
  if (module == nullptr) return nullptr;
  return ::GetProcAddress(module, name);
}

bool FileSizeOf(HANDLE file, int64_t& size) {
  DWORD high = 0;
  ::SetLastError(NO_ERROR);
  const DWORD low = api::GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return false;
  size = (static_cast<int64_t>(high) << 32) | low;
  return true;
}

bool SeekTo(HANDLE file, int64_t offset) {
  LONG high = static_cast<LONG>(offset >> 32);
  ::SetLastError(NO_ERROR);
  const DWORD low =
      api::SetFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFF), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR);
}

}  // namespace qor
