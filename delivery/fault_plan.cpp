// The failure plan of qor_faults.exe (see fault_plan.h). It allocates nothing
// through operator new, which it counts itself, and calls Windows directly,
// past the binder it serves.
#include "fault_plan.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr uint32_t kNoEnd = UINT32_MAX;

struct Entry {
  char what[48];  // "call", "alloc" or a function name
  uint32_t first;
  uint32_t last;
  uint32_t error;  // 0: the default of the failed call
};

struct NameCount {
  const char* name;
  uint32_t count;
};

// A part of the run and the block it belongs to (0 before the first).
struct Place {
  qor::faults::Part part;
  uint32_t block;
};

struct Injected {
  char what[48];
  uint32_t number;  // of the call or allocation overall
  uint32_t error;
  Place place;
};

struct PartBegun {
  Place place;
  uint32_t calls;  // made before it began, and allocations
  uint32_t allocations;
};

// Plain data only: operator new may be called before any constructor has run.
struct State {
  bool ready;
  Entry entries[16];
  int entryCount;
  char reportPath[MAX_PATH];
  uint32_t calls;        // calls that can fail, counted together
  uint32_t allocations;  // operator new
  NameCount names[96];   // every bound call, by function
  int nameCount;
  Injected injected[64];
  uint32_t injectedCount;  // may exceed what `injected` keeps
  Place place;             // where the run stands
  PartBegun begun[32];     // the first parts of the run
  int begunCount;
} state;

// Calls that cannot fail, or whose failure value means success or "nothing
// yet": they are counted by name but not among "call", so that N names the
// same step from run to run while messages come and go.
constexpr const char* kNeverFail[] = {
    "GetCommandLineA",
    "GetCurrentProcessId",
    "GetLocalTime",
    "GetTickCount",
    "Sleep",
    "PeekMessageA",
    "TranslateMessage",
    "DispatchMessageA",
    "DefWindowProcA",
    "InSendMessage",
    "MsgWaitForMultipleObjects",
    "GlobalDeleteAtom",
    "GlobalFree",
    "GlobalUnlock",
    // One for each window until a DDE server answers: how many depends on
    // the other programs' windows. A window that does not answer in time is
    // one that is no server.
    "SendMessageTimeoutA",
    // These fail only for an lParam the system did not hand over.
    "UnpackDDElParam",
    "FreeDDElParam",
};

// The last error a failed call leaves when the plan names none.
uint32_t DefaultError(const char* name) {
  static const struct {
    const char* name;
    uint32_t error;
  } kDefaults[] = {
      {"WriteFile", ERROR_DISK_FULL},
      {"SetEndOfFile", ERROR_DISK_FULL},
      {"CloseHandle", ERROR_DISK_FULL},  // a delayed write that did not fit
      {"GlobalAlloc", ERROR_NOT_ENOUGH_MEMORY},
      {"GlobalLock", ERROR_NOT_ENOUGH_MEMORY},
      {"GlobalAddAtomA", ERROR_NOT_ENOUGH_MEMORY},
      {"CreateWindowExA", ERROR_NOT_ENOUGH_MEMORY},
      {"RegisterClassA", ERROR_NOT_ENOUGH_MEMORY},
      {"PackDDElParam", ERROR_NOT_ENOUGH_MEMORY},
      {"CreateToolhelp32Snapshot", ERROR_NOT_ENOUGH_MEMORY},
      {"EnumProcesses", ERROR_NOT_ENOUGH_MEMORY},
      {"LockFile", ERROR_NOT_SUPPORTED},
      {"OpenClipboard", ERROR_ACCESS_DENIED},
  };
  for (const auto& entry : kDefaults) {
    if (std::strcmp(entry.name, name) == 0) return entry.error;
  }
  return ERROR_ACCESS_DENIED;
}

bool NeverFails(const char* name) {
  for (const char* other : kNeverFail) {
    if (std::strcmp(other, name) == 0) return true;
  }
  return false;
}

// "WHAT:N", "WHAT:N-M" or "WHAT:N+", then "=ERROR" optionally.
bool ParseEntry(const char* text, Entry& entry) {
  const char* colon = std::strchr(text, ':');
  if (colon == nullptr || colon == text || colon - text >= (int)sizeof entry.what) return false;
  std::memcpy(entry.what, text, colon - text);
  entry.what[colon - text] = '\0';
  char* end = nullptr;
  entry.first = std::strtoul(colon + 1, &end, 10);
  if (end == colon + 1 || entry.first == 0) return false;
  entry.last = entry.first;
  if (*end == '+') {
    entry.last = kNoEnd;
    ++end;
  } else if (*end == '-') {
    const char* from = end + 1;
    entry.last = std::strtoul(from, &end, 10);
    if (end == from || entry.last < entry.first) return false;
  }
  entry.error = 0;
  if (*end == '=') {
    const char* from = end + 1;
    entry.error = std::strtoul(from, &end, 10);
    if (end == from) return false;
  }
  return *end == '\0';
}

void WriteReport();

// Reads the plan once. A plan that cannot be read ends the run at once with
// exit code 3, so that a sweep never takes a mistyped plan for a survived one.
void Prepare() {
  if (state.ready) return;
  state.ready = true;
  char plan[1024];
  const DWORD length = ::GetEnvironmentVariableA("QOR_FAULTS", plan, sizeof plan);
  if (length >= sizeof plan) ::ExitProcess(3);
  for (char* entry = length > 0 ? plan : nullptr; entry != nullptr && *entry != '\0';) {
    char* next = std::strchr(entry, ';');
    if (next != nullptr) *next++ = '\0';
    if (state.entryCount == 16 || !ParseEntry(entry, state.entries[state.entryCount++])) {
      ::ExitProcess(3);
    }
    entry = next;
  }
  const DWORD pathLength =
      ::GetEnvironmentVariableA("QOR_FAULTS_REPORT", state.reportPath, sizeof state.reportPath);
  if (pathLength >= sizeof state.reportPath) state.reportPath[0] = '\0';
  if (state.reportPath[0] != '\0') std::atexit(WriteReport);
}

const Entry* Planned(const char* what, uint32_t number) {
  for (int i = 0; i < state.entryCount; ++i) {
    const Entry& entry = state.entries[i];
    if (std::strcmp(entry.what, what) == 0 && number >= entry.first && number <= entry.last) {
      return &entry;
    }
  }
  return nullptr;
}

void Record(const char* what, uint32_t number, uint32_t error) {
  if (state.injectedCount < sizeof state.injected / sizeof state.injected[0]) {
    Injected& record = state.injected[state.injectedCount];
    std::snprintf(record.what, sizeof record.what, "%s", what);
    record.number = number;
    record.error = error;
    record.place = state.place;
  }
  ++state.injectedCount;
}

uint32_t CountByName(const char* name) {
  for (int i = 0; i < state.nameCount; ++i) {
    if (std::strcmp(state.names[i].name, name) == 0) return ++state.names[i].count;
  }
  if (state.nameCount == sizeof state.names / sizeof state.names[0]) return 0;
  state.names[state.nameCount] = {name, 1};
  return state.names[state.nameCount++].count;
}

const char* PartName(qor::faults::Part part) {
  switch (part) {
    case qor::faults::Part::kStartUp:
      return "start-up";
    case qor::faults::Part::kHeader:
      return "header";
    case qor::faults::Part::kBlock:
      return "block";
    case qor::faults::Part::kEnd:
      return "end";
  }
  return "?";
}

// "calls C", "allocations A", "injected K", then one line per injected fault
// ("fault WHAT NUMBER ERROR PART BLOCK"), per part of the run ("part PART
// BLOCK CALLS ALLOCATIONS": the calls and allocations made before it began)
// and per function ("count NAME N").
void WriteReport() {
  const HANDLE file = ::CreateFileA(state.reportPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  char line[128];
  DWORD written = 0;
  auto put = [&](int length) {
    if (length > 0) ::WriteFile(file, line, (DWORD)length, &written, nullptr);
  };
  put(std::snprintf(line, sizeof line, "calls %u\r\nallocations %u\r\ninjected %u\r\n", state.calls,
                    state.allocations, state.injectedCount));
  const uint32_t kept = state.injectedCount < 64 ? state.injectedCount : 64;
  for (uint32_t i = 0; i < kept; ++i) {
    const Injected& record = state.injected[i];
    put(std::snprintf(line, sizeof line, "fault %s %u %u %s %u\r\n", record.what, record.number,
                      record.error, PartName(record.place.part), record.place.block));
  }
  for (int i = 0; i < state.begunCount; ++i) {
    const PartBegun& begun = state.begun[i];
    put(std::snprintf(line, sizeof line, "part %s %u %u %u\r\n", PartName(begun.place.part),
                      begun.place.block, begun.calls, begun.allocations));
  }
  for (int i = 0; i < state.nameCount; ++i) {
    put(std::snprintf(line, sizeof line, "count %s %u\r\n", state.names[i].name,
                      state.names[i].count));
  }
  ::CloseHandle(file);
}

}  // namespace

namespace qor::faults {

Fault FailCall(const char* name, uint32_t& error) {
  Prepare();
  const uint32_t ofName = CountByName(name);
  const Entry* entry = Planned(name, ofName);
  uint32_t number = 0;
  if (!NeverFails(name)) {
    number = ++state.calls;
    if (entry == nullptr) entry = Planned("call", number);
  }
  if (entry == nullptr) return Fault::kNone;
  error = entry->error != 0 ? entry->error : DefaultError(name);
  Record(name, number, error);
  const bool closes =
      std::strcmp(name, "CloseHandle") == 0 || std::strcmp(name, "CloseClipboard") == 0;
  return closes ? Fault::kAfterCall : Fault::kInstead;
}

void EnterPart(Part part) {
  Prepare();
  if (part == Part::kHeader) ++state.place.block;
  state.place.part = part;
  if (state.begunCount < (int)(sizeof state.begun / sizeof state.begun[0])) {
    state.begun[state.begunCount++] = {state.place, state.calls, state.allocations};
  }
}

}  // namespace qor::faults

// Every allocation of the program is counted, and the plan's fail.
void* operator new(size_t size) {
  Prepare();
  const uint32_t number = ++state.allocations;
  if (Planned("alloc", number) != nullptr) {
    Record("alloc", number, 0);
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
