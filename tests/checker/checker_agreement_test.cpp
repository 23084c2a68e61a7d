// The checker's verdict per block must match what the real qor.exe delivers
// for the same job file: files written, with the same bytes, and no others.
#include <gtest/gtest.h>

#include <map>

#include "box_answerer.h"
#include "check_report.h"
#include "job_check.h"
#include "qor_e2e.h"
#include "stand_in.h"
#include "system_state.h"

using namespace e2e;

namespace {

using Files = std::map<std::string, std::string>;

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
Files Actual(const TempDir& dir) {
  Files files;
  for (const std::string& name : Listing(dir / "*.txt")) files[dir / name] = Content(dir / name);
  return files;
}

void ExpectAgreement(const std::string& name, std::string (*makeJob)(const TempDir& dir)) {
  SCOPED_TRACE(name);
  TempDir dir;
  const std::string job = makeJob(dir);
  const JobCheck check = CheckJob(job);
  SetTrace(Trace::Off);
  ASSERT_TRUE(RunJob(dir, job).finished);
  EXPECT_EQ(Actual(dir), Expected(check)) << FormatCheck(check, name);
}

std::string F(const TempDir& dir, const char* file) { return "Dateiname=" + dir / file + "*"; }
// The header of a file block for `file` in `dir`, with further entries.
std::string FileHeader(const TempDir& dir, const char* file, const std::string& more = "") {
  return Header("Ziel=Datei*\r\n" + F(dir, file) + more);
}

TEST(CheckerAgreesWithQor, OnEveryKindOfMistake) {
  ExpectAgreement("clean", [](const TempDir& d) {
    return FileHeader(d, "a.txt") + Data("eins") + FileHeader(d, "a.txt", "\r\nAnhaengen=Ja*") +
           Data("\r\nzwei\344\r\n");
  });
  ExpectAgreement("lower-case target stops the run", [](const TempDir& d) {
    return FileHeader(d, "a.txt") + Data("eins") + Header("Ziel=datei*\r\n" + F(d, "b.txt")) +
           Data("zwei") + FileHeader(d, "c.txt") + Data("drei");
  });
  ExpectAgreement("line break before the terminator", [](const TempDir& d) {
    return Header("Ziel=Datei\r\n*\r\n" + F(d, "a.txt")) + Data("eins");
  });
  ExpectAgreement("append written before the file name", [](const TempDir& d) {
    return FileHeader(d, "a.txt") + Data("eins") +
           Header("Ziel=Datei*\r\nAnhaengen=Ja*\r\n" + F(d, "a.txt")) + Data("zwei");
  });
  ExpectAgreement("append as the last entry after the file name's end", [](const TempDir& d) {
    return FileHeader(d, "a.txt") + Data("eins") + "(((HEADERSTART)))Ziel=Datei*Anhaengen=Ja*" +
           F(d, "a.txt") + "(((HEADEREND)))" + Data("zwei");
  });
  ExpectAgreement("DDE entry before the target", [](const TempDir& d) {
    return FileHeader(d, "a.txt") + Data("eins") +
           Header("DDE-Item=I*\r\nZiel=DDE*\r\nDDE-Service=x*\r\nDDE-Server=S*\r\nDDE-Topic=T*") +
           Data("zwei") + FileHeader(d, "c.txt") + Data("drei");
  });
  ExpectAgreement("missing data end swallows the next block", [](const TempDir& d) {
    return FileHeader(d, "a.txt") + "(((DATASTART)))eins\r\n" + FileHeader(d, "b.txt") +
           "(((DATASTART)))zwei";
  });
  ExpectAgreement("header followed directly by another block", [](const TempDir& d) {
    return FileHeader(d, "a.txt") + FileHeader(d, "b.txt") + Data("zwei") + FileHeader(d, "c.txt") +
           Data("drei");
  });
  ExpectAgreement("blank payload is skipped", [](const TempDir& d) {
    return FileHeader(d, "a.txt") + Data("   ") + FileHeader(d, "b.txt") + Data("zwei");
  });
  ExpectAgreement("header without end marker", [](const TempDir& d) {
    return FileHeader(d, "a.txt") + Data("eins") + "(((HEADERSTART)))Ziel=Datei*" + F(d, "b.txt") +
           Data("zwei");
  });
}

// For an unquoted program path with a blank, the program the checker says
// Windows starts first is the one the real qor.exe starts.
TEST(CheckerAgreesWithQor, OnTheProgramStartedForAnUnquotedPathWithABlank) {
  TempDir dir;
  const std::string stem = dir / ("Pro-" + std::to_string(GetCurrentProcessId()));
  const StandIn shorter(stem + ".exe");  // records its start beside itself
  const std::string command = stem + " gram\\srv.exe";
  ASSERT_TRUE(shorter.placed());
  const std::string job =
      FileHeader(dir, "a.txt", "\r\nExterner Programmaufruf=" + command + "*") + Data("x");
  const JobCheck check = CheckJob(job);
  ASSERT_EQ(check.blocks.size(), 1u);
  ASSERT_EQ(check.blocks[0].hints.size(), 1u);
  EXPECT_NE(check.blocks[0].hints[0].find("Windows startet zuerst \"" + shorter.path() + "\""),
            std::string::npos)
      << check.blocks[0].hints[0];
  SetTrace(Trace::Off);
  ASSERT_TRUE(RunJob(dir, job).finished);
  const Lines records = StartRecords(shorter.path(), 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].substr(0, records[0].find("\r\n")), "command line=" + command);
}

// For a "DDE-Service=" with a blank, the part qorcheck says qor.exe starts is
// the part it starts, or none where it says none, beside a program named like
// the part before the blank.
TEST(CheckerAgreesWithQor, OnTheServerStartedForAValueWithABlank) {
  PresentedWindows presented("qor.exe", "winxp");  // a release that scans and starts
  ASSERT_TRUE(presented.ok());
  TempDir dir;
  const std::string stem = dir / ("Pro-" + std::to_string(GetCurrentProcessId()));
  const StandIn shorter(stem + ".exe");
  const StandIn server(stem + " gram\\srv.exe");
  ASSERT_TRUE(shorter.placed() && server.placed());
  const struct {
    std::string service;
    std::string named;  // what the hint says
    std::string started;  // the record of the server's start, or the box's reason
  } cases[] = {
      {server.path() + " /dde",
       "startet es auf diesem Rechner \"" + server.path() + "\" mit den Argumenten \"/dde\".",
       StartRecord("\"" + server.path() + "\" /dde", "1,4")},
      {stem + " gram\\fehlt.exe",
       "kein Teil davon bis vor einem Leerzeichen oder bis zum Ende nennt auf diesem Rechner "
       "ein Programm",
       "Datei nicht gefunden"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.service);
    const std::string job = DdeBlock(c.service, "QorNiemand", "KeinThema", "Feld", "Daten");
    const JobCheck check = CheckJob(job);
    ASSERT_EQ(check.blocks.size(), 1u);
    ASSERT_EQ(check.blocks[0].hints.size(), 1u);
    EXPECT_NE(check.blocks[0].hints[0].find(c.named), std::string::npos) << check.blocks[0].hints[0];
    SetTrace(Trace::Off);
    BoxAnswerer answerer("DDE-Export");
    ASSERT_TRUE(RunJob(dir, job).finished);
    const std::vector<SeenBox> boxes = answerer.Stop();
    if (c.started == "Datei nicht gefunden") {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text, "DDE-Anwendung " + c.service + " " + c.started);
    } else {
      EXPECT_TRUE(boxes.empty());
      const Lines records = StartRecords(server.path(), 1);
      ASSERT_EQ(records.size(), 1u);
      EXPECT_EQ(records[0].substr(0, records[0].find("\r\ncwd=")),
                c.started.substr(0, c.started.find("\r\ncwd=")));
    }
  }
  EXPECT_TRUE(ProcessesOf(shorter.path()).empty()) << "a program nobody named was started";
}

TEST(QorcheckProgram, ExitStatusTellsWhetherEveryBlockIsDelivered) {
  TempDir dir;
  const std::string good = dir / "gut.qor";
  const std::string bad = dir / "schlecht.qor";
  ASSERT_TRUE(WriteFileBytes(good, Header("Ziel=Zwischenablage*") + Data("x")));
  ASSERT_TRUE(WriteFileBytes(bad, Header("Ziel=zwischenablage*") + Data("x")));
  const std::string checker = "\"" + BinDir() + "\\qorcheck.exe\" ";
  EXPECT_EQ(RunCommandLine(checker + "\"" + good + "\"").exitCode, 0u);
  EXPECT_EQ(RunCommandLine(checker + "\"" + bad + "\"").exitCode, 1u);
  EXPECT_EQ(RunCommandLine(checker + "\"" + (dir / "fehlt.qor") + "\"").exitCode, 2u);
}

// The program a "hulintern" block makes qor.exe start: the path in its
// "DDE-Anwendung <path> <reason>" line, the reason being that the file or its
// directory is missing.
std::string StartedByQor(const TempDir& dir, const std::string& job) {
  SetTrace(Trace::On);
  BoxAnswerer answerer("DDE-Export");
  const RunResult run = RunJob(dir, job);
  answerer.Stop();
  const Lines lines = TraceMessages();
  SetTrace(Trace::Off);
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
  PresentedWindows presented("qor.exe", "winxp");  // a release that scans and starts
  ASSERT_TRUE(presented.ok());
  CompanionIni ini;
  TempDir dir;
  ASSERT_EQ(dir.path().find("\\work"), std::string::npos) << "the scratch path must not decide";
  const std::string job = DdeBlock("hulintern", "QorNiemand", "KeinThema", "Feld", "Daten");
  ASSERT_TRUE(WriteFileBytes(dir / "job.qor", job));
  const struct {
    const char* name;
    std::string ini;
    std::string expected;
  } cases[] = {
      {"empty INI", "", "hulintern"},
      {"missing key", "[ZIRARUDAZADER]\r\nanderes=x\r\n", BinDir() + "\\dravo.exe"},
      {"\\work path", WorkingDataIni(dir / "Bib\\work\\daten"), dir / "Bib\\bin\\dravo.exe"},
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
