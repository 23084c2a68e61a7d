// The floor for a large job: read the job file whole into one block of
// memory, as qor.exe must, and write the payload's bytes to the target file.
// No parsing, no temporary file, no rename.
//   bench_copy_payload JOB OFFSET LENGTH TARGET
// A GUI program like qor.exe, so that no console is made for it.
#include <windows.h>

#include <cstdlib>
#include <memory>

namespace {

bool ReadWhole(const char* path, std::unique_ptr<char[]>& bytes, DWORD& size) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  size = GetFileSize(h, nullptr);
  bytes.reset(new char[size]);
  DWORD done = 0;
  while (done < size) {
    DWORD got = 0;
    if (!ReadFile(h, bytes.get() + done, size - done, &got, nullptr) || got == 0) break;
    done += got;
  }
  CloseHandle(h);
  return done == size;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc != 5) return 2;
  std::unique_ptr<char[]> job;
  DWORD size = 0;
  if (!ReadWhole(__argv[1], job, size)) return 1;
  const DWORD offset = std::strtoul(__argv[2], nullptr, 10);
  const DWORD length = std::strtoul(__argv[3], nullptr, 10);
  if (offset > size || length > size - offset) return 1;
  HANDLE h = CreateFileA(__argv[4], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const bool ok = WriteFile(h, job.get() + offset, length, &written, nullptr) && written == length;
  return CloseHandle(h) && ok ? 0 : 1;
}
