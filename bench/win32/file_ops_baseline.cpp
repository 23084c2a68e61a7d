// The floor for a job's file blocks: exactly the file operations qor.exe must
// make for them (presence test, length, open, write, close; for new files the
// failed open, the directory levels and the second open), with the payloads
// made in memory instead of parsed from a job file.
//   file_ops_baseline append COUNT BYTES FILE
//   file_ops_baseline replace COUNT BYTES FILE  (an existing file, replaced)
//   file_ops_baseline save COUNT BYTES DIR      (DIR\dNNNN\f.txt, dNNNN missing)
// A GUI program like qor.exe, so that no console is made for it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool ExistsNonEmpty(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  const bool ok = GetFileSizeEx(h, &size) != FALSE;
  return CloseHandle(h) && ok && size.QuadPart > 0;
}

int64_t Length(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  LARGE_INTEGER size{};
  GetFileSizeEx(h, &size);
  CloseHandle(h);
  return size.QuadPart;
}

HANDLE OpenForWriting(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool Exists(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(path.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

void WriteAt(HANDLE h, int64_t offset, const std::string& payload) {
  LARGE_INTEGER position{};
  position.QuadPart = offset;
  SetFilePointerEx(h, position, nullptr, FILE_BEGIN);
  DWORD written = 0;
  WriteFile(h, payload.data(), static_cast<DWORD>(payload.size()), &written, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const int argc = __argc;
  char** const argv = __argv;
  if (argc != 5) return 2;
  const std::string mode = argv[1];
  const int count = std::atoi(argv[2]);
  const std::string payload(static_cast<size_t>(std::atoi(argv[3])), 'x');
  const std::string target = argv[4];
  SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};

  for (int i = 0; i < count; ++i) {
    if (mode == "append") {
      const int64_t length = ExistsNonEmpty(target) ? Length(target) : 0;
      HANDLE h = OpenForWriting(target);
      WriteAt(h, length, payload);
      CloseHandle(h);
    } else if (mode == "replace") {
      if (ExistsNonEmpty(target)) DeleteFileA(target.c_str());
      HANDLE h = OpenForWriting(target);
      WriteAt(h, 0, payload);
      SetEndOfFile(h);
      CloseHandle(h);
    } else {
      char name[32];
      std::snprintf(name, sizeof name, "\\d%04d", i);
      const std::string dir = target + name;
      const std::string file = dir + "\\f.txt";
      if (ExistsNonEmpty(file)) DeleteFileA(file.c_str());
      HANDLE h = OpenForWriting(file);
      if (h == INVALID_HANDLE_VALUE) {
        if (!Exists(dir)) {
          for (size_t at = dir.find('\\'); at != std::string::npos; at = dir.find('\\', at + 1)) {
            const std::string prefix = dir.substr(0, at + 1);
            if (prefix.size() > 3 && !Exists(prefix + "*"))
              CreateDirectoryA(prefix.c_str(), &security);
          }
          CreateDirectoryA(dir.c_str(), &security);
          Exists(dir);
        }
        h = OpenForWriting(file);
      }
      WriteAt(h, 0, payload);
      SetEndOfFile(h);
      CloseHandle(h);
    }
  }
  return 0;
}
