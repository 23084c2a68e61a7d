#include "registry_state.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <stdexcept>

#include "reg_key.h"

namespace setup_test {

namespace {

void Check(LONG result, const char* what, const std::string& path) {
  if (result != ERROR_SUCCESS) {
    throw std::runtime_error(std::string(what) + " " + path + ": " + std::to_string(result));
  }
}

// The library's own key owner, for the keys the tests create.
qor_setup::RegKey CreatedKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  Check(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        "create", path);
  return qor_setup::RegKey(key);
}

}  // namespace

KeySnapshot SaveKey(HKEY root, const std::string& path) {
  KeySnapshot snapshot;
  const qor_setup::RegKey key = qor_setup::OpenKeyForReading(root, path.c_str());
  if (!key) return snapshot;
  snapshot.exists = true;
  for (DWORD index = 0;; ++index) {
    char name[16384];
    DWORD nameSize = sizeof name;
    DWORD type = 0;
    DWORD dataSize = 0;
    if (RegEnumValueA(key.get(), index, name, &nameSize, nullptr, &type, nullptr, &dataSize) !=
        ERROR_SUCCESS) {
      break;
    }
    RegistryValue value{std::string(name, nameSize), type, std::vector<BYTE>(dataSize)};
    DWORD size = dataSize;
    Check(RegQueryValueExA(key.get(), value.name.c_str(), nullptr, &type,
                           value.data.empty() ? nullptr : value.data.data(), &size),
          "read value of", path);
    value.data.resize(size);
    snapshot.values.push_back(std::move(value));
  }
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameSize = sizeof name;
    if (RegEnumKeyExA(key.get(), index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    const std::string sub(name, nameSize);
    snapshot.subkeys.emplace_back(sub, SaveKey(root, path + "\\" + sub));
  }
  return snapshot;
}

void DeleteKey(HKEY root, const std::string& path) {
  const LONG result = RegDeleteTreeA(root, path.c_str());
  if (result != ERROR_FILE_NOT_FOUND) Check(result, "delete", path);
}

void RestoreKey(HKEY root, const std::string& path, const KeySnapshot& saved) {
  DeleteKey(root, path);
  if (!saved.exists) return;
  const qor_setup::RegKey key = CreatedKey(root, path);
  for (const RegistryValue& value : saved.values) {
    Check(RegSetValueExA(key.get(), value.name.c_str(), 0, value.type, value.data.data(),
                         static_cast<DWORD>(value.data.size())),
          "write value of", path);
  }
  for (const auto& [name, sub] : saved.subkeys) RestoreKey(root, path + "\\" + name, sub);
}

KeptKeys::KeptKeys(std::vector<std::pair<HKEY, std::string>> keys) : keys_(std::move(keys)) {
  for (const auto& [root, path] : keys_) saved_.push_back(SaveKey(root, path));
}

KeptKeys::~KeptKeys() {
  try {
    for (size_t i = 0; i < keys_.size(); ++i) {
      RestoreKey(keys_[i].first, keys_[i].second, saved_[i]);
    }
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
}

void CreateKey(HKEY root, const std::string& path) { CreatedKey(root, path); }

void SetValueBytes(HKEY root, const std::string& path, const char* value, DWORD type,
                   const std::string& data) {
  const qor_setup::RegKey key = CreatedKey(root, path);
  // RegSetValueExA takes a NUL just behind the data of a string type as its
  // terminator and stores it too; the copy puts a non-NUL byte there.
  std::vector<BYTE> bytes(data.begin(), data.end());
  bytes.push_back('X');
  Check(RegSetValueExA(key.get(), value, 0, type, bytes.data(), static_cast<DWORD>(data.size())),
        "write value of", path);
}

void SetString(HKEY root, const std::string& path, const char* value, const std::string& text) {
  SetValueBytes(root, path, value, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

std::map<uintptr_t, std::wstring> OpenKeysNamed(const std::vector<std::wstring>& suffixes) {
  using NtQueryKeyProc = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const auto queryKey = reinterpret_cast<NtQueryKeyProc>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryKey")));
  constexpr int kKeyNameInformation = 3;
  std::map<uintptr_t, std::wstring> found;
  // Handle values are multiples of 4 handed out from the lowest free slot; a
  // test process holds far fewer than 4096 at a time.
  for (uintptr_t value = 4; value < 4 * 4096; value += 4) {
    union {
      ULONG length;
      BYTE bytes[4096];
    } info;
    ULONG size = 0;
    if (queryKey(reinterpret_cast<HANDLE>(value), kKeyNameInformation, &info, sizeof info, &size) !=
        0) {
      continue;
    }
    const std::wstring name(reinterpret_cast<const wchar_t*>(info.bytes + sizeof(ULONG)),
                            info.length / sizeof(wchar_t));
    for (const std::wstring& suffix : suffixes) {
      if (name.size() >= suffix.size() &&
          _wcsicmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) == 0) {
        found.emplace(value, name);
      }
    }
  }
  return found;
}

}  // namespace setup_test
