#include "files.h"

#include <algorithm>
#include <cstdio>

namespace e2e {

std::string BinDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return DirectoryOf(path);
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) {
    bytes.append(buffer, got);
  }
  CloseHandle(h);
  return ok;
}

std::string Content(const std::string& path) {
  std::string bytes;
  return ReadFileBytes(path, bytes) ? bytes : "<missing>";
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()),
                                              &written, nullptr) &&
                                    written == bytes.size());
  CloseHandle(h);
  return ok;
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

void CreateDirectories(const std::string& directory) {
  if (directory.empty() || DirectoryExists(directory)) return;
  CreateDirectories(DirectoryOf(directory));
  CreateDirectoryA(directory.c_str(), nullptr);
}

std::vector<std::string> Listing(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(pattern.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveTree(const std::string& path) {
  for (const std::string& name : Listing(path + "\\*")) {
    const std::string child = path + "\\" + name;
    if (DirectoryExists(child)) {
      RemoveTree(child);
    } else {
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(child.c_str());
    }
  }
  RemoveDirectoryA(path.c_str());
}

TempDir::TempDir() {
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    char name[64];
    std::snprintf(name, sizeof name, "qor-e2e-%lu-%u", GetCurrentProcessId(), counter++);
    path_ = std::string(base) + name;
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    // Only a name taken already is worth another try.
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
}

TempDir::~TempDir() { RemoveTree(path_); }

HeldTurn::HeldTurn(const std::string& path, Byte byte, DWORD creation) {
  // The turn bytes of qor.exe's runs: 2^62, or 2^32 - 2.
  low_ = byte == kFar ? 0 : 0xFFFFFFFE;
  high_ = byte == kFar ? 0x40000000 : 0;
  file_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, creation, 0, nullptr);
  if (file_ != INVALID_HANDLE_VALUE && !LockFile(file_, low_, high_, 1, 0)) {
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
}

void HeldTurn::release() {
  if (!held()) return;
  UnlockFile(file_, low_, high_, 1, 0);
  CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

}  // namespace e2e
