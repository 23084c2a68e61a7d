// Owners for the Windows resources the delivery program opens: each closes
// what it holds when it goes out of scope, so no path can leak one.
#pragma once

#include "win_api.h"

namespace qor {

// A resource value with its closer and the value that means "nothing held".
template <typename T, T (*Invalid)(), void (*Close)(T)>
class Owner {
 public:
  Owner() = default;
  explicit Owner(T value) : value_(value) {}
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  Owner(Owner&& other) noexcept : value_(other.release()) {}
  Owner& operator=(Owner&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~Owner() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Invalid(); }
  T release() {
    T value = value_;
    value_ = Invalid();
    return value;
  }
  // Keeps the thread's last error across the close: the caller may read
  // the error of the step that failed after the owner let go.
  void reset(T value = Invalid()) {
    if (value_ != Invalid()) {
      const DWORD error = ::GetLastError();
      Close(value_);
      ::SetLastError(error);
    }
    value_ = value;
  }

 private:
  T value_ = Invalid();
};

// The values that mean "nothing held", and the closers.
inline HANDLE NoHandle() { return nullptr; }
inline HANDLE InvalidHandle() { return INVALID_HANDLE_VALUE; }
inline ATOM NoAtom() { return 0; }
inline void CloseKernelHandle(HANDLE handle) { api::CloseHandle(handle); }
inline void CloseListing(HANDLE listing) { api::FindClose(listing); }
inline void FreeGlobalMemory(HGLOBAL memory) { api::GlobalFree(memory); }
inline void DeleteGlobalAtom(ATOM atom) { api::GlobalDeleteAtom(atom); }

// Process, thread and most kernel handles.
using UniqueHandle = Owner<HANDLE, NoHandle, CloseKernelHandle>;
// Files and snapshots, which say "none" with INVALID_HANDLE_VALUE.
using UniqueFile = Owner<HANDLE, InvalidHandle, CloseKernelHandle>;
using UniqueSnapshot = Owner<HANDLE, InvalidHandle, CloseKernelHandle>;
// Directory listings.
using UniqueFind = Owner<HANDLE, InvalidHandle, CloseListing>;
// Global memory that has not yet been handed to the system.
using UniqueGlobal = Owner<HGLOBAL, NoHandle, FreeGlobalMemory>;
// Global atoms added by the program.
using UniqueAtom = Owner<ATOM, NoAtom, DeleteGlobalAtom>;

// An open clipboard: closed again when the owner goes.
class ClipboardOpen {
 public:
  explicit ClipboardOpen(HWND owner) : open_(api::OpenClipboard(owner) != FALSE) {}
  ClipboardOpen(const ClipboardOpen&) = delete;
  ClipboardOpen& operator=(const ClipboardOpen&) = delete;
  ~ClipboardOpen() {
    if (open_) api::CloseClipboard();
  }
  explicit operator bool() const { return open_; }

 private:
  bool open_;
};

}  // namespace qor
