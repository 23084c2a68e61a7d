// Runs of qor.exe, or of its test build qor_faults.exe under a failure plan,
// as the tests watch them: every "DDE-Export" box answered and kept, and the
// trace log collected.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "box_answerer.h"
#include "qor_e2e.h"

namespace e2e {

struct WatchedRun {
  RunResult run;
  std::vector<SeenBox> boxes;  // every "DDE-Export" box, in order, each answered OK
  Lines trace;                 // the trace log's messages
  bool logWritten = false;     // whether the run left a trace log at all
};

// Runs `start` with the trace switch set to `trace` and every "DDE-Export"
// box answered; afterwards the switch is off and the log gone.
WatchedRun Watch(const std::function<RunResult()>& start, Trace trace = Trace::On);
// The same for RunJob(dir, job).
WatchedRun RunJobWatched(const TempDir& dir, const std::string& job, Trace trace = Trace::On);

// The failure plan qor_faults.exe plays for one run (QOR_FAULTS) and the file
// it reports to (QOR_FAULTS_REPORT); empty: none.
struct FaultPlan {
  FaultPlan(std::string plan, std::string reportPath = "")
      : plan(std::move(plan)), reportPath(std::move(reportPath)) {}
  std::string plan;
  std::string reportPath;
};

// Starts qor_faults.exe under `plan` with `argumentText` after its quoted
// path, as RunQor starts qor.exe, and waits for it to end.
RunResult RunWithPlan(const FaultPlan& plan, const std::string& argumentText,
                      DWORD timeoutMs = 60000);

}  // namespace e2e
