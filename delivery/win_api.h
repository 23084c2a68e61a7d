// Windows functions are bound by library and function name at their first
// call, not at load time: a missing library or function fails only the call
// that needs it, which then behaves like any failing call (its failure value,
// with GetLastError telling why).
#pragma once

#include <windows.h>
// The psapi names themselves, not their kernel32 aliases of later releases.
#ifndef PSAPI_VERSION
#define PSAPI_VERSION 1
#endif
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdint>
#include <type_traits>

#ifdef QOR_FAULTS
#include "fault_plan.h"
#endif

namespace qor {

// Loads `library` (once) and looks up `name`. Null when either is missing;
// the thread's last error then says which.
FARPROC BindProcedure(const char* library, const char* name);

template <typename Fn>
class LazyProc {
 public:
  // `failed` is what a call returns when the function cannot be bound.
  constexpr LazyProc(const char* library, const char* name, intptr_t failed = 0)
      : library_(library), name_(name), failed_(failed) {}

  bool Available() { return Resolve() != nullptr; }

  template <typename... Args>
  auto operator()(Args... args) -> decltype(std::declval<Fn>()(args...)) {
    using Result = decltype(std::declval<Fn>()(args...));
#ifdef QOR_FAULTS
    uint32_t error = 0;
    if (const auto fault = faults::FailCall(name_, error); fault != faults::Fault::kNone) {
      if (fault == faults::Fault::kAfterCall && Resolve() != nullptr) Resolve()(args...);
      return Fail<Result>(error);
    }
#endif
    const Fn fn = Resolve();
    if (fn == nullptr) return Fail<Result>(bindError_);
    return fn(args...);
  }

 private:
  // What a call that fails returns, with `error` as the last error.
  template <typename Result>
  Result Fail(DWORD error) {
    ::SetLastError(error);
    if constexpr (!std::is_void_v<Result>) return (Result)failed_;
  }

  Fn Resolve() {
    if (!resolved_) {
      fn_ = reinterpret_cast<Fn>(reinterpret_cast<void*>(BindProcedure(library_, name_)));
      if (fn_ == nullptr) bindError_ = ::GetLastError();
      resolved_ = true;
    }
    return fn_;
  }

  const char* library_;
  const char* name_;
  intptr_t failed_;
  Fn fn_ = nullptr;
  DWORD bindError_ = 0;
  bool resolved_ = false;
};

}  // namespace qor

// Declares qor::api::NAME as the lazily bound NAME of LIBRARY.
#define QOR_LAZY(library, name, ...) \
  inline ::qor::LazyProc<decltype(&::name)> name { library, #name, ##__VA_ARGS__ }

namespace qor::api {

// kernel32.dll: files and directories; the program's own process, its command
// line and module, the time and the Windows release; starting programs and
// the snapshot scan; global memory and atoms (clipboard data and the DDE
// names of applications, topics and items); text conversion.
QOR_LAZY("kernel32.dll", CreateFileA, (intptr_t)INVALID_HANDLE_VALUE);
QOR_LAZY("kernel32.dll", ReadFile);
QOR_LAZY("kernel32.dll", WriteFile);
QOR_LAZY("kernel32.dll", GetFileSize, (intptr_t)INVALID_FILE_SIZE);
QOR_LAZY("kernel32.dll", SetFilePointer, (intptr_t)INVALID_SET_FILE_POINTER);
QOR_LAZY("kernel32.dll", SetEndOfFile);
QOR_LAZY("kernel32.dll", LockFile);
QOR_LAZY("kernel32.dll", UnlockFile);
QOR_LAZY("kernel32.dll", DeleteFileA);
QOR_LAZY("kernel32.dll", MoveFileExA);
QOR_LAZY("kernel32.dll", MoveFileA);
QOR_LAZY("kernel32.dll", CreateDirectoryA);
QOR_LAZY("kernel32.dll", FindFirstFileA, (intptr_t)INVALID_HANDLE_VALUE);
QOR_LAZY("kernel32.dll", FindClose);
QOR_LAZY("kernel32.dll", SearchPathA);
QOR_LAZY("kernel32.dll", GetFileAttributesA, (intptr_t)INVALID_FILE_ATTRIBUTES);
QOR_LAZY("kernel32.dll", CloseHandle);
QOR_LAZY("kernel32.dll", GetCommandLineA);
QOR_LAZY("kernel32.dll", GetCurrentProcessId);
QOR_LAZY("kernel32.dll", GetModuleFileNameA);
QOR_LAZY("kernel32.dll", GetModuleHandleA);
QOR_LAZY("kernel32.dll", GetLocalTime);
QOR_LAZY("kernel32.dll", GetTickCount);
QOR_LAZY("kernel32.dll", Sleep);
QOR_LAZY("kernel32.dll", GetVersionExA);
QOR_LAZY("kernel32.dll", GetWindowsDirectoryA);
QOR_LAZY("kernel32.dll", GetPrivateProfileStringA);
QOR_LAZY("kernel32.dll", CreateProcessA);
QOR_LAZY("kernel32.dll", OpenProcess);
QOR_LAZY("kernel32.dll", CreateToolhelp32Snapshot, (intptr_t)INVALID_HANDLE_VALUE);
QOR_LAZY("kernel32.dll", Process32First);
QOR_LAZY("kernel32.dll", Process32Next);
QOR_LAZY("kernel32.dll", GlobalAlloc);
QOR_LAZY("kernel32.dll", GlobalLock);
QOR_LAZY("kernel32.dll", GlobalUnlock);
QOR_LAZY("kernel32.dll", GlobalSize);
QOR_LAZY("kernel32.dll", GlobalFree);
QOR_LAZY("kernel32.dll", GlobalAddAtomA);
QOR_LAZY("kernel32.dll", GlobalDeleteAtom);
QOR_LAZY("kernel32.dll", MultiByteToWideChar);
QOR_LAZY("kernel32.dll", WideCharToMultiByte);

// user32.dll: the clipboard; the message box; the hidden windows, their
// messages and the search for a DDE server's window; the DDE message
// parameters; running programs' paths upper-cased by the system's rules.
QOR_LAZY("user32.dll", OpenClipboard);
QOR_LAZY("user32.dll", EmptyClipboard);
QOR_LAZY("user32.dll", SetClipboardData);
QOR_LAZY("user32.dll", CloseClipboard);
QOR_LAZY("user32.dll", MessageBoxA);
QOR_LAZY("user32.dll", RegisterClassA);
QOR_LAZY("user32.dll", CreateWindowExA);
QOR_LAZY("user32.dll", DefWindowProcA);
QOR_LAZY("user32.dll", EnumWindows);
QOR_LAZY("user32.dll", PeekMessageA);
QOR_LAZY("user32.dll", TranslateMessage);
QOR_LAZY("user32.dll", DispatchMessageA);
QOR_LAZY("user32.dll", MsgWaitForMultipleObjects);
QOR_LAZY("user32.dll", PostMessageA);
QOR_LAZY("user32.dll", SendMessageTimeoutA);
QOR_LAZY("user32.dll", InSendMessage);
QOR_LAZY("user32.dll", PackDDElParam);
QOR_LAZY("user32.dll", UnpackDDElParam);
QOR_LAZY("user32.dll", FreeDDElParam);
QOR_LAZY("user32.dll", ReuseDDElParam);
QOR_LAZY("user32.dll", CharUpperBuffA);

// psapi.dll: the process list scan.
QOR_LAZY("psapi.dll", EnumProcesses);
QOR_LAZY("psapi.dll", EnumProcessModules);
QOR_LAZY("psapi.dll", GetModuleFileNameExA);

// shell32.dll is not used: programs are started with CreateProcessA.

}  // namespace qor::api

namespace qor {

// The length of an open file and a move to a byte offset, through the calls
// every Windows release has (the ...Ex forms came with Windows 2000).
bool FileSizeOf(HANDLE file, int64_t& size);
bool SeekTo(HANDLE file, int64_t offset);

}  // namespace qor
