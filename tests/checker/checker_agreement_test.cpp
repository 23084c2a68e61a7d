// The checker's verdict per block must match what the real qor.exe delivers
// for the same job file: files written, with the same bytes, and no others.
#include <gtest/gtest.h>

#include <map>

#include "check_report.h"
#include "job_check.h"
#include "qor_e2e.h"
#include "server_app_support.h"

namespace {

using Files = std::map<std::string, std::string>;

std::string H(const std::string& entries) { return "(((HEADERSTART)))\r\n" + entries + "\r\n(((HEADEREND)))\r\n"; }
std::string D(const std::string& payload) { return "(((DATASTART)))" + payload + "(((DATAEND)))\r\n"; }

// What the checker says the files will hold.
Files Expected(const JobCheck& check) {
  Files files;
  for (const BlockVerdict& v : check.blocks) {
    if (!v.delivered || v.block.TargetCode != TargetFile) continue;
    std::string& content = files[v.block.TargetFileName];
    content = (v.block.AppendFlag ? content : std::string()) + std::string(v.block.DataText);
  }
  return files;
}

// What the directory holds after the run, job file aside.
Files Actual(const e2e::TempDir& dir) {
  Files files;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir / "*.txt").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return files;
  do {
    std::string bytes;
    const std::string path = dir / found.cFileName;
    e2e::ReadFileBytes(path, bytes);
    files[path] = bytes;
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return files;
}

void ExpectAgreement(const std::string& name,
                     std::string (*makeJob)(const e2e::TempDir& dir)) {
  SCOPED_TRACE(name);
  e2e::TempDir dir;
  const std::string job = makeJob(dir);
  const JobCheck check = CheckJob(job);
  e2e::SetTrace(e2e::Trace::Off);
  ASSERT_TRUE(e2e::RunJob(dir, job).finished);
  EXPECT_EQ(Actual(dir), Expected(check)) << FormatCheck(check, name);
}

std::string F(const e2e::TempDir& dir, const char* file) { return "Dateiname=" + dir / file + "*"; }

TEST(CheckerAgreesWithQor, OnEveryKindOfMistake) {
  ExpectAgreement("clean", [](const e2e::TempDir& d) {
    return H("Ziel=Datei*\r\n" + F(d, "a.txt")) + D("eins") +
           H("Ziel=Datei*\r\n" + F(d, "a.txt") + "\r\nAnhaengen=Ja*") + D("\r\nzwei\xE4\r\n");
  });
  ExpectAgreement("lower-case target stops the run", [](const e2e::TempDir& d) {
    return H("Ziel=Datei*\r\n" + F(d, "a.txt")) + D("eins") +
           H("Ziel=datei*\r\n" + F(d, "b.txt")) + D("zwei") +
           H("Ziel=Datei*\r\n" + F(d, "c.txt")) + D("drei");
  });
  ExpectAgreement("line break before the terminator", [](const e2e::TempDir& d) {
    return H("Ziel=Datei\r\n*\r\n" + F(d, "a.txt")) + D("eins");
  });
  ExpectAgreement("append written before the file name", [](const e2e::TempDir& d) {
    return H("Ziel=Datei*\r\n" + F(d, "a.txt")) + D("eins") +
           H("Ziel=Datei*\r\nAnhaengen=Ja*\r\n" + F(d, "a.txt")) + D("zwei");
  });
  ExpectAgreement("append as the last entry after the file name's end", [](const e2e::TempDir& d) {
    return H("Ziel=Datei*\r\n" + F(d, "a.txt")) + D("eins") +
           "(((HEADERSTART)))Ziel=Datei*Anhaengen=Ja*" + F(d, "a.txt") + "(((HEADEREND)))" +
           D("zwei");
  });
  ExpectAgreement("DDE entry before the target", [](const e2e::TempDir& d) {
    return H("Ziel=Datei*\r\n" + F(d, "a.txt")) + D("eins") +
           H("DDE-Item=I*\r\nZiel=DDE*\r\nDDE-Service=x*\r\nDDE-Server=S*\r\nDDE-Topic=T*") +
           D("zwei") + H("Ziel=Datei*\r\n" + F(d, "c.txt")) + D("drei");
  });
  ExpectAgreement("missing data end swallows the next block", [](const e2e::TempDir& d) {
    return H("Ziel=Datei*\r\n" + F(d, "a.txt")) + "(((DATASTART)))eins\r\n" +
           H("Ziel=Datei*\r\n" + F(d, "b.txt")) + "(((DATASTART)))zwei";
  });
  ExpectAgreement("header followed directly by another block", [](const e2e::TempDir& d) {
    return H("Ziel=Datei*\r\n" + F(d, "a.txt")) + H("Ziel=Datei*\r\n" + F(d, "b.txt")) +
           D("zwei") + H("Ziel=Datei*\r\n" + F(d, "c.txt")) + D("drei");
  });
  ExpectAgreement("blank payload is skipped", [](const e2e::TempDir& d) {
    return H("Ziel=Datei*\r\n" + F(d, "a.txt")) + D("   ") +
           H("Ziel=Datei*\r\n" + F(d, "b.txt")) + D("zwei");
  });
  ExpectAgreement("header without end marker", [](const e2e::TempDir& d) {
    return H("Ziel=Datei*\r\n" + F(d, "a.txt")) + D("eins") + "(((HEADERSTART)))Ziel=Datei*" +
           F(d, "b.txt") + D("zwei");
  });
}

// For an unquoted program path with a blank, the program the checker says
// Windows starts first is the one the real qor.exe starts.
TEST(CheckerAgreesWithQor, OnTheProgramStartedForAnUnquotedPathWithABlank) {
  e2e::TempDir dir;
  const std::string stem = dir / ("Pro-" + std::to_string(GetCurrentProcessId()));
  const std::string shorter = stem + ".exe";
  const std::string command = stem + " gram\\srv.exe";
  ASSERT_TRUE(sat::PlaceServer(shorter));  // records its start beside itself
  const std::string job = H("Ziel=Datei*\r\n" + F(dir, "a.txt") +
                            "\r\nExterner Programmaufruf=" + command + "*") + D("x");
  const JobCheck check = CheckJob(job);
  ASSERT_EQ(check.blocks.size(), 1u);
  ASSERT_EQ(check.blocks[0].hints.size(), 1u);
  EXPECT_NE(check.blocks[0].hints[0].find("Windows startet zuerst \"" + shorter + "\""),
            std::string::npos)
      << check.blocks[0].hints[0];
  e2e::SetTrace(e2e::Trace::Off);
  ASSERT_TRUE(e2e::RunJob(dir, job).finished);
  const std::vector<std::string> records = sat::StartRecords(shorter, 1);
  sat::EndServers(shorter);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].substr(0, records[0].find("\r\n")), "command line=" + command);
}

TEST(QorcheckProgram, ExitStatusTellsWhetherEveryBlockIsDelivered) {
  e2e::TempDir dir;
  const std::string good = dir / "gut.qor";
  const std::string bad = dir / "schlecht.qor";
  ASSERT_TRUE(e2e::WriteFileBytes(good, H("Ziel=Zwischenablage*") + D("x")));
  ASSERT_TRUE(e2e::WriteFileBytes(bad, H("Ziel=zwischenablage*") + D("x")));
  const std::string checker = "\"" + e2e::BinDir() + "\\qorcheck.exe\" ";
  EXPECT_EQ(e2e::RunCommandLine(checker + "\"" + good + "\"").exitCode, 0u);
  EXPECT_EQ(e2e::RunCommandLine(checker + "\"" + bad + "\"").exitCode, 1u);
  EXPECT_EQ(e2e::RunCommandLine(checker + "\"" + (dir / "fehlt.qor") + "\"").exitCode, 2u);
}

// What qorcheck.exe prints for `jobPath`.
std::string QorcheckReport(const e2e::TempDir& dir, const std::string& jobPath) {
  const std::string reportPath = dir / "bericht.txt";
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE report = CreateFileA(reportPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                              CREATE_ALWAYS, 0, nullptr);
  if (report == INVALID_HANDLE_VALUE) return "<no report file>";
  std::string commandLine = "\"" + e2e::BinDir() + "\\qorcheck.exe\" \"" + jobPath + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = report;
  si.hStdError = report;
  PROCESS_INFORMATION pi{};
  const bool started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &si, &pi);
  CloseHandle(report);
  if (!started) return "<qorcheck.exe not started>";
  const bool ended = e2e::WaitPumping(pi.hProcess, 60000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::string bytes;
  if (!ended || !e2e::ReadFileBytes(reportPath, bytes)) return "<no report>";
  return bytes;
}

// The program a "hulintern" block makes qor.exe start: the path in its
// "DDE-Anwendung <path> <reason>" line, the reason being that the file or its
// directory is missing.
std::string StartedByQor(const e2e::TempDir& dir, const std::string& job) {
  e2e::SetTrace(e2e::Trace::On);
  sat::BoxWatcher watcher;
  const e2e::RunResult run = e2e::RunJob(dir, job);
  watcher.Stop();
  const std::vector<std::string> lines = e2e::TraceMessages();
  e2e::SetTrace(e2e::Trace::Off);
  const std::string head = "DDE-Anwendung ";
  if (!run.finished || lines.size() != 3 || lines[2].rfind(head, 0) != 0) return "<unexpected run>";
  for (const std::string tail : {" Datei nicht gefunden", " Pfad nicht gefunden"}) {
    const std::string& line = lines[2];
    if (line.size() >= head.size() + tail.size() &&
        line.compare(line.size() - tail.size(), tail.size(), tail) == 0) {
      return line.substr(head.size(), line.size() - head.size() - tail.size());
    }
  }
  return "<unexpected reason: " + lines[2] + ">";
}

// The program qorcheck names for a "hulintern" block: what stands behind
// "hulintern -> " up to the end of the line or a remark in parentheses.
std::string NamedByQorcheck(const std::string& report) {
  const std::string key = "  DDE-Service: hulintern -> ";
  const size_t at = report.find(key);
  if (at == std::string::npos) return "<no hulintern line>";
  const size_t from = at + key.size();
  const size_t end = report.find_first_of("\r\n", from);
  const std::string value = report.substr(from, end - from);
  return value.substr(0, value.find(" ("));
}

// qor.exe and qorcheck resolve "hulintern" through the same procedure, so
// they name the same program whatever ZIRARUDAZADER.INI says.
TEST(CheckerAgreesWithQor, OnWhereHulinternLeads) {
  sat::PresentedWindows presented("qor.exe", "winxp");  // a release that scans and starts
  ASSERT_TRUE(presented.ok());
  sat::CompanionIni ini;
  e2e::TempDir dir;
  ASSERT_EQ(dir.path().find("\\work"), std::string::npos) << "the scratch path must not decide";
  const std::string job = e2e::DdeBlock("hulintern", "QorNiemand", "KeinThema", "Feld", "Daten");
  ASSERT_TRUE(e2e::WriteFileBytes(dir / "job.qor", job));
  const struct {
    const char* name;
    std::string ini;
    std::string expected;
  } cases[] = {
      {"empty INI", "", "hulintern"},
      {"missing key", "[ZIRARUDAZADER]\r\nanderes=x\r\n", e2e::BinDir() + "\\dravo.exe"},
      {"\\work path", "[ZIRARUDAZADER]\r\nworking_data=" + (dir / "Bib\\work\\daten") + "\r\n",
       dir / "Bib\\bin\\dravo.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(ini.Write(c.ini));
    const std::string report = QorcheckReport(dir, dir / "job.qor");
    EXPECT_EQ(StartedByQor(dir, job), c.expected);
    EXPECT_EQ(NamedByQorcheck(report), c.expected) << report;
  }
}

}  // namespace
