#include "process_scan.h"

#include <cstring>

#include "dde_server_rules.h"
#include "win_owners.h"

namespace {

constexpr size_t kProcessIds = 1025;
constexpr DWORD kQueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
constexpr DWORD kModuleNameChars = 255;

// th32DefaultHeapID is pointer-sized: 304 bytes in a 64-bit process.
static_assert(sizeof(PROCESSENTRY32) == (sizeof(void*) == 4 ? 296 : 304),
              "the snapshot entry of the ANSI functions");

void UpperCase(std::string& text) {
  if (!text.empty()) qor::api::CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
}

// After `proc` returned its failure value: true when that is because the
// function could not be bound, which fails the whole check. A bound function
// that fails only passes over what it was asked about.
template <typename Proc>
bool CouldNotBind(Proc& proc, QorError& failure) {
  const DWORD error = ::GetLastError();
  if (proc.Available()) return false;
  failure = ErrorFromWin32(error);
  return true;
}

}  // namespace

ScanOutcome ScanProcessList(const std::string& path, QorError& failure) {
  DWORD ids[kProcessIds] = {};
  DWORD bytes = 0;
  if (!qor::api::EnumProcesses(ids, sizeof ids, &bytes)) {
    return CouldNotBind(qor::api::EnumProcesses, failure) ? ScanOutcome::Failed
                                                          : ScanOutcome::CannotScan;
  }
  const size_t count = bytes / sizeof(DWORD) < kProcessIds ? bytes / sizeof(DWORD) : kProcessIds;
  SoughtPath sought(path, kModuleNameChars, UpperCase);
  for (size_t i = 0; i < count; ++i) {
    // The owner closes the handle on every way out, the match included.
    qor::UniqueHandle process(qor::api::OpenProcess(kQueryAndRead, FALSE, ids[i]));
    if (!process) {
      if (CouldNotBind(qor::api::OpenProcess, failure)) return ScanOutcome::Failed;
      continue;
    }
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!qor::api::EnumProcessModules(process.get(), &module, sizeof module, &needed)) {
      if (CouldNotBind(qor::api::EnumProcessModules, failure)) return ScanOutcome::Failed;
      continue;
    }
    char name[kModuleNameChars];
    std::memset(name, ' ', sizeof name);
    const DWORD copied =
        qor::api::GetModuleFileNameExA(process.get(), module, name, kModuleNameChars);
    if (copied == 0) {
      if (CouldNotBind(qor::api::GetModuleFileNameExA, failure)) return ScanOutcome::Failed;
      continue;
    }
    if (SamePathIgnoringCase(sought, ModulePathFromBuffer(name, copied, kModuleNameChars))) {
      return ScanOutcome::Found;
    }
  }
  return ScanOutcome::NotFound;
}

ScanOutcome ScanSnapshot(const std::string& path, QorError& failure) {
  qor::UniqueSnapshot snapshot(qor::api::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) {
    return CouldNotBind(qor::api::CreateToolhelp32Snapshot, failure) ? ScanOutcome::Failed
                                                                     : ScanOutcome::CannotScan;
  }
  PROCESSENTRY32 entry;
  std::memset(&entry, 0, sizeof entry);
  entry.dwSize = sizeof entry;
  SoughtPath sought(path, sizeof entry.szExeFile, UpperCase);
  BOOL delivered = qor::api::Process32First(snapshot.get(), &entry);
  if (!delivered && CouldNotBind(qor::api::Process32First, failure)) return ScanOutcome::Failed;
  while (delivered) {
    if (SamePathIgnoringCase(sought, SnapshotExeName(entry.szExeFile, sizeof entry.szExeFile))) {
      return ScanOutcome::Found;
    }
    delivered = qor::api::Process32Next(snapshot.get(), &entry);
    if (!delivered && CouldNotBind(qor::api::Process32Next, failure)) return ScanOutcome::Failed;
  }
  return ScanOutcome::NotFound;
}
