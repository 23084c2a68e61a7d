// Saving and restoring registry keys around a test, so that tests can shape
// the keys CheckMimeType reads and leave the prefix as they found it.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace setup_test {

struct RegistryValue {
  std::string name;
  DWORD type;
  std::vector<BYTE> data;
};

struct KeySnapshot {
  bool exists = false;
  std::vector<RegistryValue> values;
  std::vector<std::pair<std::string, KeySnapshot>> subkeys;
};

KeySnapshot SaveKey(HKEY root, const std::string& path);
// Deletes root\path with everything below it, then rebuilds what was saved.
void RestoreKey(HKEY root, const std::string& path, const KeySnapshot& saved);
void DeleteKey(HKEY root, const std::string& path);

// Keys saved when the object is made and restored when it goes.
class KeptKeys {
 public:
  explicit KeptKeys(std::vector<std::pair<HKEY, std::string>> keys);
  KeptKeys(const KeptKeys&) = delete;
  KeptKeys& operator=(const KeptKeys&) = delete;
  ~KeptKeys();

 private:
  std::vector<std::pair<HKEY, std::string>> keys_;
  std::vector<KeySnapshot> saved_;
};

// Creates root\path and its parents.
void CreateKey(HKEY root, const std::string& path);
// Creates root\path and sets one value (`value` null: the default value).
// Data is written exactly as given: no terminator is added.
void SetValueBytes(HKEY root, const std::string& path, const char* value, DWORD type,
                   const std::string& data);
// A REG_SZ with its terminator.
void SetString(HKEY root, const std::string& path, const char* value, const std::string& text);

// Open registry keys of this process whose full names end in one of
// `suffixes` (case ignored), as handle value and name. Wine answers 0 to
// GetProcessHandleCount, so every handle value is asked whether it is a key
// and for its name; keys the system itself keeps open are told apart by name.
std::map<uintptr_t, std::wstring> OpenKeysNamed(const std::vector<std::wstring>& suffixes);

}  // namespace setup_test
