// Owners for the Windows resources the delivery program opens: each closes
// what it holds when it goes out of scope, so no path can leak one.
#pragma once

#include "win_api.h"

namespace qor {

// A resource value with a closer and a value that means "nothing held".
template <typename T, typename Traits>
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
  explicit operator bool() const { return value_ != Traits::Invalid(); }
  T release() {
    T value = value_;
    value_ = Traits::Invalid();
    return value;
  }
  void reset(T value = Traits::Invalid()) {
    if (value_ != Traits::Invalid()) Traits::Close(value_);
    value_ = value;
  }

 private:
  T value_ = Traits::Invalid();
};

// Process, thread and most kernel handles: 0 means none.
struct HandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { api::CloseHandle(h); }
};
using UniqueHandle = Owner<HANDLE, HandleTraits>;

// Files and snapshots: INVALID_HANDLE_VALUE means none.
struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { api::CloseHandle(h); }
};
using UniqueFile = Owner<HANDLE, FileHandleTraits>;
using UniqueSnapshot = Owner<HANDLE, FileHandleTraits>;

// Directory listings.
struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { api::FindClose(h); }
};
using UniqueFind = Owner<HANDLE, FindTraits>;

// Global memory that has not yet been handed to the system.
struct GlobalTraits {
  static HGLOBAL Invalid() { return nullptr; }
  static void Close(HGLOBAL h) { api::GlobalFree(h); }
};
using UniqueGlobal = Owner<HGLOBAL, GlobalTraits>;

// Global atoms added by the program.
struct AtomTraits {
  static ATOM Invalid() { return 0; }
  static void Close(ATOM a) { api::GlobalDeleteAtom(a); }
};
using UniqueAtom = Owner<ATOM, AtomTraits>;

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
