// The recorder that qor.exe starts as a block's external program, and the
// records it leaves.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "qor_e2e.h"
#include "wait_for.h"

constexpr DWORD kStartBoundMs = 20000;  // a Wine process start can take seconds

inline std::string Recorder() { return e2e::BinDir() + "\\qor_recorder.exe"; }

// The records the recorder wrote into `dir`, in no particular order.
inline std::vector<std::string> Records(const std::string& dir) {
  std::vector<std::string> records;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir + "\\rec-*.txt").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return records;
  do {
    std::string bytes;
    if (e2e::ReadFileBytes(dir + "\\" + found.cFileName, bytes)) records.push_back(bytes);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return records;
}

inline std::vector<std::string> WaitForRecords(const std::string& dir, size_t count) {
  WaitFor([&] { return Records(dir).size() >= count; }, kStartBoundMs);
  return Records(dir);
}
