// Owner of one open registry key: closes it when it goes out of scope, so no
// path through CheckMimeType can leave a key open.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace qor_setup {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// Opens root\subKey for reading; an empty owner when it does not open.
inline RegKey OpenKeyForReading(HKEY root, const char* subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return RegKey();
  return RegKey(key);
}

}  // namespace qor_setup
