// Owner of one open registry key: closes it when it goes out of scope, so no
// path through CheckMimeType can leave a key open.
#pragma once

#include <windows.h>

namespace qor_setup {

class RegKey {
 public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() { Close(); }

  // Opens root\subKey for reading; false (and nothing held) when it does not open.
  bool OpenForReading(HKEY root, const char* subKey) {
    Close();
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    key_ = key;
    return true;
  }

  void Close() {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = nullptr;
  }

  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace qor_setup
