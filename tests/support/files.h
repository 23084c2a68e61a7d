// Files and directories for tests under Windows: whole-file reads and writes,
// listings, scratch directories removed with everything in them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// A base for owners of something that must not be copied.
struct Uncopyable {
  Uncopyable() = default;
  Uncopyable(const Uncopyable&) = delete;
  Uncopyable& operator=(const Uncopyable&) = delete;
};

// Directory of the running test program; qor.exe and the helper programs lie there.
std::string BinDir();

bool ReadFileBytes(const std::string& path, std::string& bytes);
// The file's bytes, or "<missing>" when it cannot be read.
std::string Content(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// The part before the last backslash ("" without one), and the part after it.
std::string DirectoryOf(const std::string& path);
std::string FileNameOf(const std::string& path);
// Creates `directory` and the directories above it that are missing.
void CreateDirectories(const std::string& directory);

// The names that match `pattern` (a directory, a backslash and a name with
// "*" and "?"), without "." and "..", sorted.
std::vector<std::string> Listing(const std::string& pattern);
void RemoveTree(const std::string& path);

// A scratch directory below %TEMP%, removed with everything in it.
class TempDir : Uncopyable {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Another run's turn at `path`, taken as qor.exe's runs take it: one byte
// locked far beyond any end of the file, or, where a file system refuses
// such a lock, the near one below 4 GiB. Held until release() or the end.
class HeldTurn : Uncopyable {
 public:
  enum Byte { kFar, kNear };
  // `creation` as CreateFileA takes it; the file is shared for reading and writing.
  explicit HeldTurn(const std::string& path, Byte byte = kFar, DWORD creation = OPEN_EXISTING);
  ~HeldTurn() { release(); }
  bool held() const { return file_ != INVALID_HANDLE_VALUE; }
  void release();

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  DWORD low_ = 0;
  DWORD high_ = 0;
};

}  // namespace e2e
