// The checker's verdict per block must match what the real qor.exe delivers
// for the same job file: files written, with the same bytes, and no others.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "check_report.h"
#include "companion_path.h"
#include "job_check.h"
#include "program_lookup.h"
#include "qor_e2e.h"
#include "stand_in.h"
#include "system_state.h"
#include "verdict_texts.h"
#include "watched_run.h"

using namespace e2e;

namespace {

using Files = std::map<std::string, std::string>;

// The checker with qor.exe's own lookups plugged in, as qorcheck.exe has them.
JobCheck CheckHere(const std::string& job) {
  return CheckJob(job, {LocateCompanionPath, ThisMachinesFiles()});
}

// What the checker says the files will hold. A long path's "\\?\" names
// the same file.
Files Expected(const JobCheck& check) {
  Files files;
  for (const BlockVerdict& v : check.blocks) {
    if (!v.delivered || v.block.TargetCode != TargetFile) continue;
    std::string name = v.block.TargetFileName;
    if (name.rfind("\\\\?\\", 0) == 0) name.erase(0, 4);
    std::string& content = files[name];
    content = (v.block.AppendFlag ? content : std::string()) + std::string(v.block.DataText);
  }
  return files;
}

// The files the directory holds after the run, job file aside, whatever
// their names.
Files Actual(const TempDir& dir) {
  Files files;
  for (const std::string& name : Listing(dir / "*")) {
    if (name != "job.qor" && !DirectoryExists(dir / name)) files[dir / name] = Content(dir / name);
  }
  return files;
}

void ExpectAgreement(const std::string& name, std::string (*makeJob)(const TempDir& dir)) {
  SCOPED_TRACE(name);
  TempDir dir;
  const std::string job = makeJob(dir);
  const JobCheck check = CheckHere(job);
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
  // Names Windows never opens or creates: nothing is written, and the next
  // block still is.
  ExpectAgreement("a line break before the file name's terminator", [](const TempDir& d) {
    return Header("Ziel=Datei*\r\nDateiname=" + d / "a.txt" + "\r\n*") + Data("eins") +
           FileHeader(d, "b.txt") + Data("zwei");
  });
  ExpectAgreement("file names ending in a separator", [](const TempDir& d) {
    return Header("Ziel=Datei*\r\nDateiname=" + d / "neu\\" + "*") + Data("eins") +
           Header("Ziel=Datei*\r\nDateiname=" + d / "neu2/" + "*") + Data("zwei") +
           FileHeader(d, "b.txt") + Data("drei");
  });
  ExpectAgreement("file names with characters Windows refuses", [](const TempDir& d) {
    std::string job;
    for (const char* name : {"a?.txt", "a<.txt", "a>.txt", "a|.txt", "a\".txt", "a\x01.txt"}) {
      job += FileHeader(d, name) + Data(name);
    }
    return job + FileHeader(d, "b.txt") + Data("zwei");
  });
  ExpectAgreement("a long path's prefix", [](const TempDir& d) {
    return Header("Ziel=Datei*\r\nDateiname=\\\\?\\" + d / "a.txt" + "*") + Data("eins");
  });
}

// The checker's program list names exactly the programs qor.exe starts: a
// file block's program written before the file name is read when the file
// name's "*" ends the header, and is started also when the file cannot be
// written.
TEST(CheckerAgreesWithQor, OnTheProgramsStarted) {
  TempDir dir;
  const StandIn program(dir / UniqueName("prog"));
  ASSERT_TRUE(program.placed());
  const std::string call = "Externer Programmaufruf=" + program.path() + "*";
  const std::string a = "Dateiname=" + dir / "a.txt" + "*";
  const struct {
    const char* what;
    std::string job;
    bool started;
  } rows[] = {
      {"before the file name, whose \"*\" ends the header",
       "(((HEADERSTART)))Ziel=Datei*" + call + a + "(((HEADEREND)))" + Data("eins"), true},
      {"the same with a line break before the end marker",
       Header("Ziel=Datei*" + call + a) + Data("eins"), false},
      {"after a file name Windows refuses",
       Header("Ziel=Datei*Dateiname=" + dir / "neu\\" + "*" + call) + Data("eins"), true},
  };
  size_t starts = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string report = FormatCheck(CheckHere(row.job), "job.qor");
    SetTrace(Trace::On);
    ASSERT_TRUE(RunJob(dir, row.job).finished);
    const Lines lines = TraceMessages();
    SetTrace(Trace::Off);
    const bool called = std::find(lines.begin(), lines.end(),
                                  "Externer Programmaufruf " + program.path()) != lines.end();
    EXPECT_EQ(called, row.started);
    if (row.started) {
      ++starts;
      EXPECT_EQ(StartRecords(program.path(), starts).size(), starts);
    }
    EXPECT_EQ(report.find("Externer Programmaufruf: " + program.path() + "\n") != std::string::npos,
              row.started)
        << report;
  }
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
  const JobCheck check = CheckHere(job);
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
    std::string named;    // what the hint says
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
    const JobCheck check = CheckHere(job);
    ASSERT_EQ(check.blocks.size(), 1u);
    ASSERT_EQ(check.blocks[0].hints.size(), 1u);
    EXPECT_NE(check.blocks[0].hints[0].find(c.named), std::string::npos)
        << check.blocks[0].hints[0];
    const WatchedRun run = RunJobWatched(dir, job, Trace::Off);
    ASSERT_TRUE(run.run.finished);
    const std::vector<SeenBox>& boxes = run.boxes;
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

// Console output: each line ends in CR LF.
std::string AsPrinted(std::string text) {
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
    text.insert(at, "\r");
  }
  return text;
}

// qorcheck.exe reads its argument text as qor.exe does, whole: what qor.exe
// delivers qorcheck reads (status 0, or 1 for a job with a mistake), and
// what qor.exe does not find qorcheck does not check (status 2).
TEST(CheckerAgreesWithQor, OnTheArgumentText) {
  TempDir dir;
  const std::string target = dir / "aus.txt";
  const std::string job = dir / "mein auftrag.qor";
  const std::string bad = dir / "schlecht.qor";
  ASSERT_TRUE(WriteFileBytes(job, FileBlock(target, "Inhalt")));
  ASSERT_TRUE(WriteFileBytes(bad, Header("Ziel=datei*Dateiname=" + target + "*") + Data("x")));
  ASSERT_TRUE(WriteFileBytes(dir / "leer.qor", ""));
  const std::string quoted = "\"" + job + "\"";
  const struct {
    const char* what;
    std::string argument;
    DWORD status;
    std::string printed;  // the whole output, or how the report begins
    bool delivered;
  } rows[] = {
      {"a path with a blank, unquoted", job, 0, "Auftragsdatei " + job + " (", true},
      {"the same in quotation marks", quoted, 2, AsPrinted(ArgumentQuoted(quoted)), false},
      {"trailing blanks, which Windows drops when it opens the file", job + "  ", 0,
       "Auftragsdatei " + job + "   (", true},
      {"a job with an invalid header", bad, 1, "Auftragsdatei " + bad + " (", false},
      {"a file that is not there", dir / "fehlt.qor", 2, AsPrinted(CannotRead(dir / "fehlt.qor")),
       false},
      {"an empty file", dir / "leer.qor", 2, AsPrinted(kJobFileEmpty), false},
      {"no argument", "", 2, AsPrinted(kUsage), false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    RunResult checked;
    const std::string printed = QorcheckReport(dir, row.argument, &checked);
    EXPECT_EQ(checked.exitCode, row.status) << printed;
    if (row.status == 2) {
      EXPECT_EQ(printed, row.printed);
    } else {
      EXPECT_EQ(printed.rfind(row.printed, 0), 0u) << printed;
    }
    DeleteFileA(target.c_str());
    SetTrace(Trace::Off);
    ASSERT_TRUE(RunQor(row.argument).finished);
    EXPECT_EQ(Content(target), row.delivered ? "Inhalt" : "<missing>");
  }
}

// The program a "hulintern" block makes qor.exe start: the path in its
// "DDE-Anwendung <path> <reason>" line, the reason being that the file or its
// directory is missing.
std::string StartedByQor(const TempDir& dir, const std::string& job) {
  const WatchedRun run = RunJobWatched(dir, job);
  const Lines& lines = run.trace;
  const std::string head = "DDE-Anwendung ";
  if (!run.run.finished || lines.size() != 3 || lines[2].rfind(head, 0) != 0)
    return "<unexpected run>";
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
