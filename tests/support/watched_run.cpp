#include "watched_run.h"

namespace e2e {

namespace {

// Sets an environment variable for the programs this one starts; "" removes it.
void SetForChildren(const char* name, const std::string& value) {
  SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
}

}  // namespace

WatchedRun Watch(const std::function<RunResult()>& start, Trace trace) {
  SetTrace(trace);
  WatchedRun watched;
  BoxAnswerer answerer("DDE-Export");
  watched.run = start();
  watched.boxes = answerer.Stop();
  watched.logWritten = FileExists(kTraceLog);
  watched.trace = TraceMessages();
  SetTrace(Trace::Off);
  return watched;
}

WatchedRun RunJobWatched(const TempDir& dir, const std::string& job, Trace trace) {
  return Watch([&] { return RunJob(dir, job); }, trace);
}

RunResult RunWithPlan(const FaultPlan& plan, const std::string& argumentText, DWORD timeoutMs) {
  SetForChildren("QOR_FAULTS", plan.plan);
  SetForChildren("QOR_FAULTS_REPORT", plan.reportPath);
  const RunResult run =
      RunCommandLine("\"" + BinDir() + "\\qor_faults.exe\" " + argumentText, timeoutMs);
  SetForChildren("QOR_FAULTS", "");
  SetForChildren("QOR_FAULTS_REPORT", "");
  return run;
}

}  // namespace e2e
