// The fault sweep: every representative job is run once by qor_faults.exe
// without a plan to count its calls and allocations, then once for each of
// them failing, each run a process of its own followed by a sentinel block.
// After every run it checks what qor.exe promises whatever fails.
//
//   qor_fault_sweep [--job NAME] [--kinds call,alloc,call+] [--every K]
//                   [--plan PLAN [--hits PART] [--within SECONDS]]
//                   [--crowd WINDOWS[,PROCESSES]]
//
// --every K runs every K-th N only (from N = 1); --plan runs one plan once,
// and with --hits its first fault must hit PART of the run (start-up, header,
// block, sentinel, end); with --within the run must end in that time (a
// message that gets no answer waits out the link's time-out).
// --crowd counts each job with that many more hidden top-level windows (and
// idle processes) about, gone again when the faults are injected, as when
// other programs come and go beside the sweep, and runs the last N of each
// kind too. They must move no allocation: only the calls of the process scan
// depend on how many programs run.
// A run is judged by the part of it that its first fault hit, as the faults
// build reports: the start-up and the block's header (where the run may end),
// or the block. Other programs' windows and processes come and go, so a fault
// numbered by the counting run may hit the sentinel or the end of the run
// instead: such runs are counted apart, not as survived by the block.
// Ends with "faults injected: N, survived: N, outside the block: N, jobs: K";
// exit status 1 when a run broke a promise, each such run named with the
// command that repeats it.
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

#include "box_answerer.h"
#include "clipboard.h"
#include "dde_test_server.h"
#include "error_table.h"
#include "qor_e2e.h"
#include "stand_in.h"
#include "system_state.h"
#include "texts.h"
#include "watched_run.h"

using namespace e2e;

namespace {

constexpr char kPayload[] = "\r\nTitel A;Verlag \xe4;1\r\nTitel B;Verlag *;2\r\n";
constexpr char kOld[] = "alter Inhalt\r\n";
constexpr char kService[] = "QorSweep";
constexpr char kTopic[] = "Thema";
constexpr DWORD kRunBoundMs = 30000;
bool verbose = false;  // a failed run shows its trace

// The numbers of the error table; a failure line must carry one of them with
// its own description (or the description of the injected Windows error).
constexpr int16_t kTableNumbers[] = {7,  48, 51,  52,  53,  57,  58,  61,  67,  68,  70, 71,
                                     75, 76, 453, 361, 282, 285, 286, 288, 292, 293, 294};

std::vector<QorError> CandidateErrors(uint32_t injectedError) {
  std::vector<QorError> errors;
  for (int16_t number : kTableNumbers) errors.push_back(ErrorFromNumber(number));
  if (injectedError != 0) errors.push_back(ErrorFromWin32(injectedError));
  return errors;
}

struct Counts {
  uint32_t calls = 0, allocations = 0;
};

// The part of a run of the sweep's job file, from the faults build's part
// and block number: block 1 is the job's, block 2 the sentinel.
std::string PartOfJob(const std::string& part, uint32_t block) {
  if (part == "start-up" || part == "end") return part;
  return block == 1 ? part : "sentinel";
}

// What the faults build reports about its run.
struct Report {
  bool read = false;
  uint32_t injected = 0;
  std::string firstFault;    // the function (or "alloc") that failed first
  uint32_t firstNumber = 0;  // among all calls (0: one that never fails) or allocations
  uint32_t firstError = 0;
  std::string hit;                     // the part of the run that fault hit
  Lines failed;                        // every function (or "alloc") that failed
  Counts beforeBlock;                  // made before the block's delivery began
  std::optional<Counts> throughBlock;  // made before what follows the block began
  DWORD tookMs = 0;                    // from the start of qor_faults.exe to its end
};

Report ReadReport(const std::string& path) {
  Report report;
  std::string text;
  if (!ReadFileBytes(path, text)) return report;
  report.read = true;
  std::istringstream lines(text);
  std::string key, part;
  uint32_t block = 0;
  while (lines >> key) {
    if (key == "injected") {
      lines >> report.injected;
    } else if (key == "fault" && report.firstFault.empty()) {
      lines >> report.firstFault >> report.firstNumber >> report.firstError >> part >> block;
      report.hit = PartOfJob(part, block);
      report.failed.push_back(report.firstFault);
    } else if (key == "fault") {
      std::string what;
      lines >> what;
      report.failed.push_back(what);
      std::getline(lines, what);
    } else if (key == "part") {
      Counts begun;
      lines >> part >> block >> begun.calls >> begun.allocations;
      const std::string ofJob = PartOfJob(part, block);
      if (ofJob == "block") report.beforeBlock = begun;
      if ((ofJob == "sentinel" || ofJob == "end") && !report.throughBlock) {
        report.throughBlock = begun;
      }
    } else {
      std::string rest;
      std::getline(lines, rest);
    }
  }
  return report;
}

// One run's world: the scratch directory and what the job's block touches.
struct Scene {
  TempDir dir;
  std::string target;  // the file a file block writes
  std::unique_ptr<TestServer> server;
  std::unique_ptr<StandIn> program;  // the external program or the server to start
  std::unique_ptr<CompanionIni> ini;
  std::string block;   // the block under test
  Lines successLines;  // what a delivered block traces
  // Every failure line the block may trace when `error` was injected.
  std::function<Lines(uint32_t error)> failures = [](uint32_t) { return Lines(); };
  bool mayEmptyClipboard = false;
};

// What a job's check found: whether the block arrived, what is wrong, and
// the block's trace lines ("<failure>" for any of its failure lines) when
// they are not simply its success lines or one failure line.
struct Outcome {
  bool delivered = false;
  Lines problems;
  std::optional<Lines> trace;
};

std::string TempLeft(const Scene& scene) {
  const auto left = Listing(DirectoryOf(scene.target) + "\\~qor*.tmp");
  return left.empty() ? "" : "temporary file left: " + left[0];
}

void FileFailures(Scene& scene, std::string (*text)(const std::string&, const QorError&)) {
  scene.failures = [text, target = scene.target](uint32_t error) {
    Lines lines;
    for (const QorError& e : CandidateErrors(error)) lines.push_back(text(target, e));
    return lines;
  };
}

Outcome CheckFile(const Scene& scene, const std::string& before, const std::string& after) {
  Outcome outcome;
  const std::string now = Content(scene.target);
  outcome.delivered = now == after;
  if (!outcome.delivered && now != before) {
    outcome.problems.push_back("file holds neither its old bytes nor the new ones: " + Hex(now));
  }
  const std::string left = TempLeft(scene);
  if (!left.empty()) outcome.problems.push_back(left);
  return outcome;
}

// The item of a DDE block: a name of each run's own, so that a global atom
// left behind is known by the run that left it.
std::string ItemOf(const Scene& scene) { return "Feld" + FileNameOf(scene.dir.path()); }

// `others`: further programs the block may name as its server's; `shape`:
// further options of the test server.
void DdeScene(Scene& scene, const std::string& service, const Lines& others = {},
              const std::string& shape = "") {
  // The server sends data over the automatic link too, which Form1 answers.
  scene.server =
      std::make_unique<TestServer>(scene.dir, kService, kTopic, "--advise-data Neu " + shape);
  scene.block = DdeBlock(service, kService, kTopic, ItemOf(scene), kPayload);
  scene.successLines = {kDataSent};
  const std::string program = scene.program ? scene.program->path() : service;
  scene.failures = [program, others](uint32_t error) {
    Lines lines;
    for (const QorError& e : CandidateErrors(error)) {
      lines.push_back(DdeFailureMessage(e));
      lines.push_back(DdeServerFailure(program, e));
      for (const std::string& other : others) lines.push_back(DdeServerFailure(other, e));
    }
    return lines;
  };
}

// What the test server received: the block's payload, and no other poke.
Outcome PokesReceived(const Scene& scene) {
  Outcome outcome;
  if (!scene.server->ready()) return {false, {"test server did not start"}, std::nullopt};
  const std::string poke =
      "poke\t" + ItemOf(scene) + "\t1\t" + Hex(std::string(kPayload) + std::string(1, 0));
  for (const std::string& record : scene.server->Records()) {
    if (record == poke)
      outcome.delivered = true;
    else if (record.rfind("poke", 0) == 0)
      outcome.problems.push_back("wrong poke: " + record);
  }
  return outcome;
}

Outcome CheckDde(const Scene& scene) {
  // qor.exe has ended: what it sent is there or on its way.
  if (!scene.server->Records().empty()) scene.server->WaitUntilIdle(5000);
  return PokesReceived(scene);
}

// A server that never answers the poke, and hangs there: the block fails by
// its time-out.
Outcome CheckUnanswered(const Scene& scene) {
  scene.server->Kill();
  Outcome outcome = PokesReceived(scene);
  outcome.delivered = false;
  outcome.trace = Lines{"<failure>"};
  return outcome;
}

// The clipboard's text, or "<none>".
std::string ClipboardNow(UINT format) {
  if (format == CF_UNICODETEXT) {
    std::wstring wide;
    if (!ClipboardUnicodeText(wide)) return "<none>";
    std::string narrow(wide.size() * 2, '\0');
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), &narrow[0],
                                      (int)narrow.size(), nullptr, nullptr);
    narrow.resize(n > 0 ? n : 0);
    return narrow;
  }
  std::string text;
  return ClipboardText(text, format) ? text : "<none>";
}

// A clipboard block that fails says nothing.
Outcome CheckClipboard(const Scene& scene) {
  Outcome outcome;
  outcome.trace = Lines{};
  const std::string text = ClipboardNow(CF_TEXT);
  outcome.delivered = text == kPayload;
  if (!outcome.delivered && text != kOld && !(scene.mayEmptyClipboard && text == "<none>")) {
    outcome.problems.push_back("clipboard text is neither the earlier one nor the payload: " +
                               Hex(text));
  }
  const std::string unicode = ClipboardNow(CF_UNICODETEXT);
  if (unicode != "<none>" && unicode != text) {
    outcome.problems.push_back("Unicode text " + Hex(unicode) + " differs from CF_TEXT " +
                               Hex(text));
  }
  return outcome;
}

struct Job {
  const char* name;
  // Prepares the scene: the state before the run and the block.
  std::function<void(Scene&)> prepare;
  std::function<Outcome(const Scene&)> check;
  // Run only when named with --job: each of its runs waits out a time-out.
  bool onlyWhenNamed = false;
};

const std::string kOldFile = kOld;

const Job kJobs[] = {
    {"save-replace",
     [](Scene& s) {
       s.target = s.dir / "liste.txt";
       WriteFileBytes(s.target, kOld);
       s.block = FileBlock(s.target, kPayload);
       FileFailures(s, SaveFailure);
     },
     [](const Scene& s) { return CheckFile(s, kOld, kPayload); }},
    {"save-new-directory",
     [](Scene& s) {
       s.target = s.dir / "neu\\unter\\liste.txt";
       s.block = FileBlock(s.target, kPayload);
       FileFailures(s, SaveFailure);
     },
     [](const Scene& s) { return CheckFile(s, "<missing>", kPayload); }},
    {"append",
     [](Scene& s) {
       s.target = s.dir / "anhang.txt";
       WriteFileBytes(s.target, kOld);
       s.block = FileBlock(s.target, kPayload, true);
       FileFailures(s, AppendFailure);
     },
     [](const Scene& s) { return CheckFile(s, kOld, kOldFile + kPayload); }},
    {"save-with-program",
     [](Scene& s) {
       s.target = s.dir / "liste.txt";
       WriteFileBytes(s.target, kOld);
       s.program = std::make_unique<StandIn>(s.dir / UniqueName("Anzeige"));
       const std::string command = s.program->path() + " " + s.target;
       s.block = FileBlock(s.target, kPayload, false, command);
       s.successLines = {ExternalProgramCall(command)};
       s.failures = [target = s.target, command](uint32_t error) {
         // Without memory the start fails with ERROR_NOT_ENOUGH_MEMORY.
         Lines lines{ExternalProgramFailure(command, static_cast<int32_t>(error)),
                     ExternalProgramFailure(command, ERROR_NOT_ENOUGH_MEMORY)};
         for (const QorError& e : CandidateErrors(error)) lines.push_back(SaveFailure(target, e));
         return lines;
       };
     },
     [](const Scene& s) {
       // The program is started after a failed write too; its start may fail.
       Outcome outcome = CheckFile(s, kOld, kPayload);
       const bool started = !StartRecords(s.program->path(), 1, 3000).empty();
       outcome.trace = outcome.delivered ? Lines{} : Lines{"<failure>"};
       outcome.trace->push_back(s.successLines[0]);
       if (!started) outcome.trace->push_back("<failure>");
       return outcome;
     }},
    {"clipboard-replace",
     [](Scene& s) {
       PutBitmapAndText(kOld);
       s.block = ClipboardBlock(kPayload);
       s.mayEmptyClipboard = true;
     },
     CheckClipboard},
    {"clipboard-append",
     [](Scene& s) {
       PutBitmapAndText(kOld, true);
       s.block = ClipboardBlock(kPayload, true);
     },
     CheckClipboard},
    {"dde-running-server", [](Scene& s) { DdeScene(s, TestServer::ExePath()); }, CheckDde},
    // One window serving every conversation, with DDE messages alone; its
    // link data asks for an acknowledgement.
    {"dde-raw-server", [](Scene& s) { DdeScene(s, TestServer::ExePath(), {}, "--raw"); }, CheckDde},
    {"dde-silent-server", [](Scene& s) { DdeScene(s, TestServer::ExePath(), {}, "--poke-hang"); },
     CheckUnanswered, true},
    {"dde-server-started",
     [](Scene& s) {
       s.program = std::make_unique<StandIn>(s.dir / UniqueName("DdeSrv"));
       DdeScene(s, s.program->path());
     },
     CheckDde},
    {"dde-hulintern",
     [](Scene& s) {
       s.ini = std::make_unique<CompanionIni>();
       s.ini->Write(WorkingDataIni(s.dir / "Bib\\work\\daten"));
       s.program = std::make_unique<StandIn>(s.dir / "Bib\\bin\\dravo.exe");
       // Where the INI cannot be read the companion is looked for beside
       // qor_faults.exe, or the keyword itself is started.
       DdeScene(s, "hulintern", {"hulintern", BinDir() + "\\dravo.exe"});
     },
     CheckDde},
};

constexpr char kSentinel[] =
    "W\xe4"
    "chter";

// Hidden top-level windows and idle processes of another program, for as long
// as it lives. qor.exe asks every window for its DDE server and looks at every
// process for the server's program. The windows belong to this thread, which
// dispatches their messages while qor_faults.exe runs.
class Crowd : Uncopyable {
 public:
  Crowd(const TempDir& dir, int windows, int processes) {
    static const char* const kClass = [] {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = DefWindowProcA;
      windowClass.hInstance = GetModuleHandleA(nullptr);
      windowClass.lpszClassName = "QorSweepCrowd";
      RegisterClassA(&windowClass);
      return windowClass.lpszClassName;
    }();
    for (int i = 0; i < windows; ++i) {
      windows_.push_back(CreateWindowExA(0, kClass, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                         GetModuleHandleA(nullptr), nullptr));
    }
    if (processes > 0) program_ = std::make_unique<StandIn>(dir / UniqueName("Menge"));
    for (int i = 0; i < processes; ++i) StartDirectly(program_->path());
  }
  ~Crowd() {
    for (HWND window : windows_) DestroyWindow(window);
  }

 private:
  std::vector<HWND> windows_;
  std::unique_ptr<StandIn> program_;  // its processes end with it
};

struct Sweep {
  int injected = 0, survived = 0, outside = 0;
  std::map<std::string, int> jobs;
  std::string arch;
};

// How a run is checked.
enum class Run {
  kCount,    // no plan: everything must be delivered
  kStartUp,  // the fault hit before the block is read whole: the run may end there
  kInBlock,  // the fault hit the block: the sentinel must follow
  kOutside,  // the fault hit after the block: the block must be delivered
};

Run KindOf(const std::string& plan, const Report& report) {
  if (plan.empty()) return Run::kCount;
  if (report.hit == "start-up" || report.hit == "header") return Run::kStartUp;
  return report.hit == "block" ? Run::kInBlock : Run::kOutside;
}

bool Holds(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Whether `seen` is `expected` with lines left out (none torn, none foreign,
// none out of order); `missing` says how many.
bool PartOf(const Lines& seen, const Lines& expected, size_t& missing) {
  size_t at = 0;
  for (const std::string& line : seen) {
    while (at < expected.size() && expected[at] != line) ++at;
    if (at == expected.size()) return false;
    ++at;
  }
  missing = expected.size() - seen.size();
  return true;
}

// What the job file holds besides the block under test.
enum class Shape {
  kWithSentinel,
  kAlone,  // the block alone: its calls and allocations are counted
};

// One run of `job` under `plan` ("" counts), checked as the part of the run
// its first fault hit says. The report of the run, with the problems it found.
Report RunOnce(const Job& job, const std::string& plan, Lines& problems,
               Shape shape = Shape::kWithSentinel) {
  const bool lasting = plan.find('+') != std::string::npos;
  Scene scene;
  const std::string reportPath = scene.dir / "report.txt";
  job.prepare(scene);
  const std::string sentinel = scene.dir / "waechter.txt";
  const std::string jobPath = scene.dir / "job.qor";
  const bool withSentinel = shape == Shape::kWithSentinel;
  WriteFileBytes(jobPath, scene.block + (withSentinel ? FileBlock(sentinel, kSentinel) : ""));

  const WatchedRun watched = Watch([&] {
    return RunWithPlan({plan, reportPath}, jobPath, kRunBoundMs);
  });
  const RunResult& run = watched.run;
  const std::vector<SeenBox>& boxes = watched.boxes;
  const Lines& trace = watched.trace;
  Report report = ReadReport(reportPath);
  report.tookMs = run.elapsedMs;

  if (!run.finished)
    problems.push_back("did not end within the bound");
  else if (run.exitCode != 0)
    problems.push_back("exit code " + std::to_string(run.exitCode));
  if (!report.read) problems.push_back("no report");
  if (!plan.empty() && report.injected == 0) return report;
  const Run kind = KindOf(plan, report);
  const Lines failureLines = scene.failures(report.firstError);
  const Outcome outcome = job.check(scene);
  // What came after the block cannot take it back; whatever else it did is
  // the sentinel's or the end's.
  if (kind == Run::kOutside && !outcome.delivered) problems.push_back("block not delivered");
  if (kind == Run::kOutside) return report;
  // Where every call fails from some step on, the temporary file cannot be
  // removed either, nor the clipboard emptied to put the payload alone.
  const bool cannotDelete = lasting && Holds(report.failed, "DeleteFileA");
  const bool cannotEmpty =
      lasting && (Holds(report.failed, "EmptyClipboard") || Holds(report.failed, "GlobalAlloc"));
  for (const std::string& problem : outcome.problems) {
    if (cannotDelete && problem.rfind("temporary file left", 0) == 0) continue;
    if (cannotEmpty && problem.rfind("Unicode text", 0) == 0) continue;
    problems.push_back(problem);
  }
  const bool sentinelDelivered = Content(sentinel) == kSentinel;

  Lines seen;  // any failure line of the block as "<failure>"
  for (const std::string& line : trace)
    seen.push_back(Holds(failureLines, line) ? "<failure>" : line);
  Lines expected = RunLines(scene.dir);
  // Where the scan of the running programs cannot begin, the DDE block is
  // given up without a word.
  const bool silent =
      report.firstFault == "EnumProcesses" || report.firstFault == "CreateToolhelp32Snapshot";
  const Lines blockLines = !outcome.delivered && silent ? Lines{}
                           : outcome.trace              ? *outcome.trace
                           : outcome.delivered          ? scene.successLines
                                                        : Lines{"<failure>"};
  expected.insert(expected.end(), blockLines.begin(), blockLines.end());
  size_t missing = 0;
  const bool partOf = PartOf(seen, expected, missing);

  // A run that ended in its start-up delivered nothing and traced at most
  // why (the job could not be read); the trace switch itself may have failed.
  // The job file counts as missing when it cannot be opened or measured.
  Lines startUpLines = RunLines(scene.dir);
  if (report.firstFault == "CreateFileA" || report.firstFault == "GetFileSize") {
    startUpLines.push_back(JobFileMissing(jobPath));
  }
  for (const QorError& e : CandidateErrors(report.firstError)) {
    startUpLines.push_back(ReadFailure(e));
  }
  startUpLines.push_back(kJobNotRead);
  size_t ignored = 0;
  const bool endedInStartUp = kind == Run::kStartUp && !outcome.delivered && !sentinelDelivered &&
                              PartOf(trace, startUpLines, ignored);

  // One passing fault takes at most one line: the trace writer's own (it
  // opens the log, moves to its end and writes), or the start-up's that
  // ended the run.
  const bool traceWriterFault = report.firstFault == "CreateFileA" ||
                                report.firstFault == "SetFilePointer" ||
                                report.firstFault == "WriteFile" || report.firstFault == "alloc";
  if (endedInStartUp) {
  } else if (!partOf) {
    problems.push_back("trace lines are not the block's: " + (seen.empty() ? "" : seen.back()));
  } else if (kind == Run::kStartUp && missing > 0 && seen.empty()) {
    // The trace switch could not be read: tracing is off.
  } else if (missing > (lasting ? expected.size() : traceWriterFault ? 1 : 0)) {
    problems.push_back("trace has " + std::to_string(seen.size()) + " lines, expected " +
                       std::to_string(expected.size()));
  }
  // The server box is answered; its text is the block's failure line.
  for (const SeenBox& box : boxes) {
    if (!Holds(failureLines, box.text)) problems.push_back("box with unexpected text: " + box.text);
  }
  if (!FindShownBoxes(kDdeServerBoxCaption).empty()) problems.push_back("box left open");
  if (withSentinel && !lasting && !endedInStartUp && !sentinelDelivered) {
    problems.push_back("sentinel not delivered");
  }
  // Where no message can be posted any more, the conversation cannot be
  // ended either, and the server keeps its item.
  const std::string item = ItemOf(scene);
  const bool cannotEnd = lasting && Holds(report.failed, "PostMessageA");
  if (!cannotEnd && GlobalFindAtomA(item.c_str()) != 0) problems.push_back("atom left: " + item);
  if (!problems.empty() && verbose) {
    for (const std::string& line : trace) problems.push_back("\n  trace: " + line);
  }
  return report;
}

std::string Reproduce(const Sweep& sweep, const Job& job, const std::string& plan,
                      const std::string& pinned) {
  return "scripts/faults " + sweep.arch + " --job " + job.name + " --plan '" + plan + "'" +
         (pinned.empty() ? "" : " --hits " + pinned);
}

// Runs `job` under `plan`; counts it when the plan injected something, as a
// run of the block when its fault hit the start-up or the block, apart when
// it hit later. `pinned`: the part the fault must hit, when a finding is run.
void Try(Sweep& sweep, const Job& job, const std::string& plan, const std::string& pinned = "",
         DWORD withinMs = 0) {
  Lines problems;
  const Report report = RunOnce(job, plan, problems);
  if (report.read && report.injected == 0 && !plan.empty()) return;
  if (verbose) {
    std::printf("%s %s: %s %u hit the %s\n", job.name, plan.c_str(), report.firstFault.c_str(),
                report.firstNumber, report.hit.c_str());
  }
  if (!pinned.empty() && report.hit != pinned) {
    problems.push_back("the fault hit the " + report.hit + ", not the " + pinned +
                       " it was pinned for");
  }
  if (withinMs != 0 && report.tookMs > withinMs) {
    problems.push_back("took " + std::to_string(report.tookMs) + " ms, more than the " +
                       std::to_string(withinMs) + " ms it was pinned for");
  }
  if (problems.empty() && report.read && KindOf(plan, report) == Run::kOutside) {
    ++sweep.outside;
    std::printf("outside the block: %s %s (%s %u) hit the %s\n", job.name, plan.c_str(),
                report.firstFault.c_str(), report.firstNumber, report.hit.c_str());
    return;
  }
  ++sweep.injected;
  ++sweep.jobs[job.name];
  if (problems.empty()) {
    ++sweep.survived;
    return;
  }
  std::printf("FAIL %s %s (%s): ", job.name, plan.c_str(), report.firstFault.c_str());
  for (const std::string& problem : problems) std::printf("%s; ", problem.c_str());
  std::printf("\n  repeat: %s\n", Reproduce(sweep, job, plan, pinned).c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::string onlyJob, onePlan, pinned, kinds = "call,alloc";
  uint32_t every = 1;
  int crowdWindows = 0, crowdProcesses = 0;
  DWORD withinMs = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--job") onlyJob = value;
    if (option == "--plan") onePlan = value, verbose = true;
    if (option == "--hits") pinned = value;
    if (option == "--within") withinMs = static_cast<DWORD>(std::stoul(value) * 1000);
    if (option == "--kinds") kinds = value;
    if (option == "--every") every = std::max(1ul, std::stoul(value));
    if (option == "--crowd") std::sscanf(value.c_str(), "%d,%d", &crowdWindows, &crowdProcesses);
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // each line as it comes
  Sweep sweep;
  sweep.arch = sizeof(void*) == 8 ? "win64" : "win32";
  // The scan and start of a DDE server happen on the releases qor.exe knows.
  PresentedWindows presented("qor_faults.exe", "winxp");
  const DWORD start = GetTickCount();
  for (const Job& job : kJobs) {
    if (onlyJob.empty() ? job.onlyWhenNamed : onlyJob != job.name) continue;
    if (!onePlan.empty()) {
      Try(sweep, job, onePlan, pinned, withinMs);
      continue;
    }
    Lines problems;
    Report count = RunOnce(job, "", problems, Shape::kAlone);
    if (!problems.empty() || !count.throughBlock) {
      std::printf("FAIL %s without faults: %s\n", job.name,
                  problems.empty() ? "the block was not reached" : problems[0].c_str());
      ++sweep.injected;
      continue;
    }
    // The block's calls and allocations and those before it: the faults to
    // inject. What follows the block is the sentinel's in the runs that inject.
    Counts through = *count.throughBlock;
    std::printf("%s: %u calls, %u allocations (start-up and header: %u, %u)\n", job.name,
                through.calls, through.allocations, count.beforeBlock.calls,
                count.beforeBlock.allocations);
    const bool crowded = crowdWindows > 0 || crowdProcesses > 0;
    if (crowded) {
      // The faults are numbered by a count the runs that inject will not see.
      const Counts alone = through;
      TempDir dir;
      const Crowd crowd(dir, crowdWindows, crowdProcesses);
      count = RunOnce(job, "", problems, Shape::kAlone);
      through = count.throughBlock.value_or(Counts());
      std::printf(
          "  counted with more about (windows: %d, processes: %d): %u calls, %u allocations\n",
          crowdWindows, crowdProcesses, through.calls, through.allocations);
      if (through.allocations != alone.allocations) {
        std::printf("FAIL %s: the other programs moved the allocations\n", job.name);
        ++sweep.injected;
      }
    }
    std::fflush(stdout);
    for (const std::string kind : {"call", "alloc", "call+"}) {
      if (("," + kinds + ",").find("," + kind + ",") == std::string::npos) continue;
      const bool lasting = kind.back() == '+';
      const std::string what = lasting ? kind.substr(0, kind.size() - 1) : kind;
      const uint32_t total = what == "call" ? through.calls : through.allocations;
      for (uint32_t n = 1; n <= total; n += every) {
        Try(sweep, job, what + ":" + std::to_string(n) + (lasting ? "+" : ""));
      }
      // The run whose fault the crowd moves furthest.
      if (crowded && total > 0 && (total - 1) % every != 0) {
        Try(sweep, job, what + ":" + std::to_string(total) + (lasting ? "+" : ""));
      }
    }
  }
  if (!onePlan.empty() && sweep.injected + sweep.outside == 0) {
    std::printf("the plan %s failed nothing: the run it names is gone\n", onePlan.c_str());
    return 1;
  }
  std::printf("time taken: %lu s\n", (GetTickCount() - start) / 1000);
  std::printf("faults injected: %d, survived: %d, outside the block: %d, jobs: %zu\n",
              sweep.injected, sweep.survived, sweep.outside, sweep.jobs.size());
  return sweep.injected == sweep.survived ? 0 : 1;
}
