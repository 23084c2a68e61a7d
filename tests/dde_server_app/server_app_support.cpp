#include "server_app_support.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include "qor_e2e.h"

namespace sat {

namespace {

// Waits for `done` with a bound, looking again every few milliseconds.
template <typename Condition>
bool WaitFor(Condition done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(10);
  }
}

std::string Upper(std::string text) {
  if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void CreateDirectories(const std::string& directory) {
  if (directory.empty() || e2e::DirectoryExists(directory)) return;
  CreateDirectories(DirectoryOf(directory));
  CreateDirectoryA(directory.c_str(), nullptr);
}

std::vector<std::string> RecordFiles(const std::string& path) {
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((path + ".*.started").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return files;
  do {
    files.push_back(DirectoryOf(path) + "\\" + found.cFileName);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return files;
}

}  // namespace

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TestServerExe() { return e2e::BinDir() + "\\dde_test_server.exe"; }

bool PlaceServer(const std::string& path) {
  CreateDirectories(DirectoryOf(path));
  return CopyFileA(TestServerExe().c_str(), path.c_str(), FALSE) != FALSE;
}

std::vector<DWORD> ProcessesOf(const std::string& path) {
  std::vector<DWORD> ids;
  const std::string name = Upper(FileNameOf(path));
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    // Full path on Windows 9x, the bare file name under Wine: the file name decides.
    if (Upper(FileNameOf(entry.szExeFile)) == name) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return ids;
}

bool StartServerDirectly(const std::string& path) {
  const size_t before = RecordFiles(path).size();
  std::vector<char> commandLine(path.begin(), path.end());
  commandLine.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    ADD_FAILURE() << "CreateProcessA failed with " << GetLastError() << " for " << path;
    return false;
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  const size_t records = StartRecords(path, before + 1).size();
  if (records != before + 1) {
    ADD_FAILURE() << records << " start records of " << path << " where " << before + 1
                  << " were due (" << RecordFiles(path).size() << " files)";
  }
  return records == before + 1;
}

std::vector<std::string> StartRecords(const std::string& path, size_t count, DWORD timeoutMs) {
  // A record can be listed under its final name while the server's rename
  // still holds it, and then not be opened for a moment: only records that
  // could be read count.
  std::vector<std::string> records;
  WaitFor(
      [&] {
        records.clear();
        for (const std::string& file : RecordFiles(path)) {
          std::string content;
          if (e2e::ReadFileBytes(file, content)) records.push_back(content);
        }
        return records.size() >= count;
      },
      timeoutMs);
  return records;
}

void EndServers(const std::string& path) {
  for (DWORD id : ProcessesOf(path)) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) continue;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
  }
}

BoxWatcher::BoxWatcher() : thread_([this] { Run(); }) {}

BoxWatcher::~BoxWatcher() { Stop(); }

std::vector<SeenBox> BoxWatcher::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return seen_;
}

void BoxWatcher::Run() {
  while (!stop_) {
    HWND box = FindWindowA("#32770", "DDE-Export");
    if (box == nullptr) {
      Sleep(10);
      continue;
    }
    // The box is filled in before it is shown.
    WaitFor([box] { return IsWindowVisible(box) != FALSE; }, 10000);
    SeenBox seen;
    char text[4096] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    seen.text = text;
    int buttons = 0;
    bool okShown = false;
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
      HWND button = GetDlgItem(box, id);
      if (button != nullptr && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE)) {
        ++buttons;
        okShown = okShown || id == IDOK;
      }
    }
    seen.okButtonOnly = okShown && buttons == 1;
    // The icon sits in the box's one static control that shows an icon.
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      const HICON icon =
          reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
      char cls[32] = {};
      GetClassNameA(child, cls, sizeof cls);
      if (icon != nullptr && lstrcmpiA(cls, "Static") == 0) {
        seen.hasIcon = true;
        seen.icon = icon;
      }
    }
    seen_.push_back(seen);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    WaitFor([box] { return IsWindow(box) == FALSE; }, 10000);
  }
}

PresentedWindows::PresentedWindows(const std::string& exeName, const std::string& release,
                                   bool withoutPsapi)
    : key_("Software\\Wine\\AppDefaults\\" + exeName) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  ok_ = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(release.c_str()),
                       static_cast<DWORD>(release.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
  if (ok_ && withoutPsapi) {
    // An empty override disables the library: it cannot be loaded at all.
    ok_ = RegCreateKeyExA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS;
    if (ok_) {
      ok_ = RegSetValueExA(key, "psapi", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1) ==
            ERROR_SUCCESS;
      RegCloseKey(key);
    }
  }
}

PresentedWindows::~PresentedWindows() {
  RegDeleteKeyA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
}

std::string CompanionIni::Path() {
  char directory[MAX_PATH] = {};
  GetWindowsDirectoryA(directory, MAX_PATH);
  return std::string(directory) + "\\ZIRARUDAZADER.INI";
}

CompanionIni::CompanionIni() { existed_ = e2e::ReadFileBytes(Path(), saved_); }

CompanionIni::~CompanionIni() {
  if (existed_) {
    e2e::WriteFileBytes(Path(), saved_);
  } else {
    Remove();
  }
}

bool CompanionIni::Write(const std::string& content) const {
  return e2e::WriteFileBytes(Path(), content);
}

bool CompanionIni::Remove() const {
  return DeleteFileA(Path().c_str()) != FALSE || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::string SwapCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return text;
}

}  // namespace sat
