#include "stand_in.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include "qor_e2e.h"

namespace e2e {

namespace {

std::string Upper(std::string text) {
  if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::vector<std::string> RecordFiles(const std::string& path) {
  std::vector<std::string> files;
  for (const std::string& name : Listing(path + ".*.started")) {
    files.push_back(DirectoryOf(path) + "\\" + name);
  }
  return files;
}

}  // namespace

std::string UniqueName(const char* stem) {
  static int counter = 0;
  return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(counter++) + ".exe";
}

bool PlaceStandIn(const std::string& path) {
  CreateDirectories(DirectoryOf(path));
  return CopyFileA((BinDir() + "\\stand_in.exe").c_str(), path.c_str(), FALSE) != FALSE;
}

std::string StartRecord(const std::string& commandLine, const std::string& show) {
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  return "command line=" + commandLine + "\r\nshow=" + show + "\r\ncwd=" + cwd + "\r\n";
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

bool StartDirectly(const std::string& path) {
  const size_t before = RecordFiles(path).size();
  PROCESS_INFORMATION started{};
  if (!StartProcess("\"" + path + "\"", started)) {
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
          if (ReadFileBytes(file, content)) records.push_back(content);
        }
        return records.size() >= count;
      },
      timeoutMs);
  return records;
}

void EndProcessesOf(const std::string& path) {
  for (DWORD id : ProcessesOf(path)) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) continue;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
  }
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

}  // namespace e2e
