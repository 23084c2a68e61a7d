// Starts a command line several times and prints the fastest and the median
// wall time in milliseconds.
//   BENCH_CMD=<command line> BENCH_RUNS=<n> [BENCH_BASE=<command line>] bench_runner
// With BENCH_BASE, the two command lines take turns (after two unmeasured
// warm-up rounds), so drift in the machine's state hits both alike; then a
// second line gives the baseline's figures.
// (Command lines come through the environment because Wine re-quotes
// command-line arguments.)
#include <windows.h>

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

double RunOnce(const std::string& command, double frequency) {
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
    std::exit(1);
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  QueryPerformanceCounter(&t1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / frequency;
}

void Report(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("min_ms %.2f median_ms %.2f\n", ms.front(), ms[ms.size() / 2]);
}

int main() {
  const std::string command = Env("BENCH_CMD");
  const std::string base = Env("BENCH_BASE");
  const int runs = std::max(1, std::atoi(Env("BENCH_RUNS").c_str()));
  if (command.empty()) return 2;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const double f = static_cast<double>(frequency.QuadPart);
  std::vector<double> measured, baseline;
  if (!base.empty()) {
    for (int i = 0; i < 2; ++i) {
      RunOnce(base, f);
      RunOnce(command, f);
    }
  }
  for (int i = 0; i < runs; ++i) {
    if (!base.empty()) baseline.push_back(RunOnce(base, f));
    measured.push_back(RunOnce(command, f));
  }
  Report(measured);
  if (!base.empty()) Report(baseline);
  return 0;
}
