#include "win_api.h"

#include <gtest/gtest.h>

#include "win_owners.h"

namespace {

TEST(LazyProc, MissingLibraryFailsOnlyTheCall) {
  qor::LazyProc<decltype(&::CreateFileA)> missing("qor-no-such-library.dll", "CreateFileA",
                                                  (intptr_t)INVALID_HANDLE_VALUE);
  SetLastError(0);
  EXPECT_EQ(missing("c:\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_FALSE(missing.Available());
}

TEST(LazyProc, MissingFunctionFailsWithItsFailureValue) {
  qor::LazyProc<decltype(&::OpenProcess)> missing("kernel32.dll", "QorNoSuchFunction");
  SetLastError(0);
  EXPECT_EQ(missing(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  // The failure is remembered, and reported again on every call.
  SetLastError(0);
  EXPECT_EQ(missing(PROCESS_QUERY_INFORMATION, FALSE, GetCurrentProcessId()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

TEST(LazyProc, BoundFunctionIsCalledWithItsArguments) {
  char directory[MAX_PATH] = {};
  const UINT n = qor::api::GetWindowsDirectoryA(directory, MAX_PATH);
  EXPECT_GT(n, 0u);
  EXPECT_EQ(std::string(directory).size(), n);
  EXPECT_TRUE(qor::api::EnumProcesses.Available()) << "psapi.dll is bound by name at first call";
}

TEST(Owners, CloseWhatTheyHoldExactlyOnce) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  HANDLE copy = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &copy, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
  {
    qor::UniqueHandle owner(copy);
    qor::UniqueHandle moved(std::move(owner));
    EXPECT_FALSE(owner);
    EXPECT_TRUE(moved);
  }
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(copy, &flags)) << "the owner closed the handle";
  EXPECT_TRUE(GetHandleInformation(event, &flags));
  CloseHandle(event);
}

TEST(Owners, KeepTheThreadsLastErrorAcrossTheClose) {
  // No handle of this process has that value, so closing it fails.
  const HANDLE stale = reinterpret_cast<HANDLE>(uintptr_t{0xFFFFF0});
  ASSERT_FALSE(CloseHandle(stale));
  {
    qor::UniqueHandle owner(stale);
    SetLastError(ERROR_DISK_FULL);  // the failed step, read after its owners went
  }
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  qor::UniqueHandle owner(stale);
  SetLastError(ERROR_SHARING_VIOLATION);
  owner.reset();
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

}  // namespace

namespace {

TEST(FileHelpers, SizeAndSeekBeyondFourGigabytes) {
  char dir[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, dir);
  const std::string path = std::string(dir) + "qor-sparse-" + std::to_string(GetCurrentProcessId());
  qor::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  ASSERT_TRUE(file);
  int64_t size = -1;
  ASSERT_TRUE(qor::FileSizeOf(file.get(), size));
  EXPECT_EQ(size, 0);
  const int64_t beyond = (5LL << 30) + 7;  // the low part alone would be 1 GB + 7
  ASSERT_TRUE(qor::SeekTo(file.get(), beyond));
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.get(), "x", 1, &written, nullptr));
  ASSERT_TRUE(qor::FileSizeOf(file.get(), size));
  EXPECT_EQ(size, beyond + 1);
  ASSERT_TRUE(qor::SeekTo(file.get(), 0));
  EXPECT_EQ(SetFilePointer(file.get(), 0, nullptr, FILE_CURRENT), 0u);
}

}  // namespace
