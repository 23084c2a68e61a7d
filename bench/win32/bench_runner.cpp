// Starts a command line several times and prints the fastest and the median
// wall time in milliseconds and the peak memory of the started process.
//   BENCH_CMD=<command line> BENCH_RUNS=<n> bench_runner
// (The command line comes through the environment because Wine re-quotes
// command-line arguments.)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Env(const char* name) {
  char buffer[32768];
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

}  // namespace

int main() {
  const std::string command = Env("BENCH_CMD");
  const int runs = std::max(1, std::atoi(Env("BENCH_RUNS").c_str()));
  if (command.empty()) return 2;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> ms;
  SIZE_T peak = 0;
  for (int i = 0; i < runs; ++i) {
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
      std::printf("error start %lu\n", GetLastError());
      return 1;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    QueryPerformanceCounter(&t1);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters)) {
      peak = std::max(peak, std::max(counters.PeakWorkingSetSize, counters.PeakPagefileUsage));
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ms.push_back(1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) /
                 static_cast<double>(frequency.QuadPart));
  }
  std::sort(ms.begin(), ms.end());
  std::printf("min_ms %.2f median_ms %.2f peak_bytes %lu\n", ms.front(), ms[ms.size() / 2],
              static_cast<unsigned long>(peak));
  return 0;
}
