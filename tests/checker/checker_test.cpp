// The checker's verdicts, computed with the program's own loop and parser.
#include "job_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "check_report.h"
#include "job_text.h"
#include "text_places.h"
#include "verdict_texts.h"

namespace {

// The checker as it runs away from Windows: no companion path, no files.
JobCheck Check(const std::string& job) { return CheckJob(job, kAwayFromWindows); }

std::string Block(const std::string& header, const std::string& data) {
  return jobtext::Header(header) + jobtext::Data(data);
}

const std::string kFile = "Ziel=Datei*\r\nDateiname=C:\\a.txt*";

TEST(Checker, CleanJobDeliversEveryBlockAndEndsRegularly) {
  const JobCheck check = Check(Block(kFile, "eins") + Block("Ziel=Zwischenablage*", "zwei"));
  ASSERT_EQ(check.blocks.size(), 2u);
  EXPECT_TRUE(check.blocks[0].delivered);
  EXPECT_TRUE(check.blocks[1].delivered);
  EXPECT_TRUE(check.blocks[0].hints.empty());
  EXPECT_EQ(CheckStatus(check), 0);
  EXPECT_EQ(check.ending.rfind("Ende: kein weiterer Kopf ab Zeile 9, Spalte 33", 0), 0u)
      << "[" << check.ending << "]";
}

TEST(Checker, LowerCaseTargetIsNamedWithItsPosition) {
  const JobCheck check = Check(Block("Ziel=datei*\r\nDateiname=x*", "d") + Block(kFile, "e"));
  ASSERT_EQ(check.blocks.size(), 1u);
  EXPECT_FALSE(check.blocks[0].headerValid);
  EXPECT_EQ(check.blocks[0].reason,
            "Unbekanntes Ziel \"datei\" (Zeile 2, Spalte 1): gemeint ist wohl \"Datei\" "
            "(Gro\337-/Kleinschreibung beachten).");
  EXPECT_TRUE(check.endsEarly);
  EXPECT_EQ(CheckStatus(check), 1);
}

TEST(Checker, LineBreakBeforeTerminator) {
  const JobCheck check = Check(Block("Ziel=Datei\r\n*Dateiname=x*", "d"));
  ASSERT_EQ(check.blocks.size(), 1u);
  EXPECT_EQ(check.blocks[0].reason,
            "Zeilenumbruch im Wert von \"Ziel=\" (Zeile 2, Spalte 1): das \"*\" muss direkt hinter "
            "dem Wert stehen.");
}

// A block of one line, its header text exactly as given: without the line
// break before "(((HEADEREND)))" a value's "*" can be the header's last
// character. The header text begins in column 18.
std::string RawBlock(const std::string& header, const std::string& data = "abc") {
  return "(((HEADERSTART)))" + header + "(((HEADEREND)))(((DATASTART)))" + data + "(((DATAEND)))";
}

// What the report says follows from what the parser read: the values it set,
// the hints only for entries its lookups did not reach, the file a block can
// never write, and the exit status.
TEST(Checker, ReportSaysWhatTheParserRead) {
  const std::string notRead = "\" und wird deshalb nicht gelesen: ";
  const std::string lineBreak = ": qor.exe nimmt ihn als Teil des Werts; das \"*\" muss direkt "
                                "hinter dem Wert stehen.";
  const std::string cannotWrite = "  => wird NICHT geliefert: Die Datei kann nicht geschrieben "
                                  "werden: der Dateiname (Zeile 1, Spalte 29) ";
  const std::string refused = ", das Windows in Dateinamen nicht zul\344sst.\n";
  const std::string noPrograms = "Programme, die dieser Auftrag startet: keine\n";
  const std::string dde = "Ziel=DDE*DDE-Service=srv.exe*DDE-Server=S*DDE-Topic=T*DDE-Item=I*";
  struct Row {
    const char* what;
    std::string job;
    std::vector<std::string> says;
    std::vector<std::string> never;
    int status;
  };
  std::vector<Row> rows = {
      {"a program before the file name whose \"*\" ends the header is read from the top",
       RawBlock("Ziel=Datei*Externer Programmaufruf=calc.exe*Dateiname=C:\\x.txt*"),
       {"  Programm:    calc.exe\n", kDeliveredLine,
        "startet:\n  Block 1, Externer Programmaufruf: calc.exe\n"},
       {"nicht gelesen"},
       0},
      {"so is an append before it",
       RawBlock("Ziel=Datei*Anhaengen=Ja*Dateiname=C:\\x.txt*"),
       {"  Anh\344ngen:    ja\n", kDeliveredLine},
       {"nicht gelesen", "ersetzt"},
       0},
      {"an append after the file name is read, one before it is not needed",
       RawBlock("Ziel=Datei*Anhaengen=Nein*Dateiname=C:\\x.txt*Anhaengen=Ja*\r\n"),
       {"  Anh\344ngen:    ja\n"},
       {"nicht gelesen", "ersetzt"},
       0},
      {"a clipboard append before a target whose \"*\" ends the header",
       RawBlock("Anhaengen=Ja*Ziel=Zwischenablage*"),
       {"  Anh\344ngen:    ja (andere Formate bleiben)\n"},
       {"nicht gelesen", "geleert"},
       0},
      {"with a line break at the end the append before the file name is not reached",
       Block("Ziel=Datei*\r\nAnhaengen=Ja*\r\nDateiname=f*", "d"),
       {"  Anh\344ngen:    nein (ersetzen)\n",
        "Hinweis: Der Eintrag \"Anhaengen=\" (Zeile 3, Spalte 1) steht vor \"Dateiname=" + notRead +
            "die Datei wird ersetzt, nicht erg\344nzt.\n"},
       {},
       1},
      {"a block not delivered replaces nothing: the append just stays off",
       Block("Ziel=Datei*\r\nAnhaengen=Ja*\r\nDateiname=f*", " ") +
           Block("Ziel=Datei*\r\nAnhaengen=Ja*\r\nDateiname=f?*", "d"),
       {"(Zeile 3, Spalte 1) steht vor \"Dateiname=" + notRead + "das Anh\344ngen bleibt aus.\n",
        "(Zeile 9, Spalte 1) steht vor \"Dateiname=" + notRead + "das Anh\344ngen bleibt aus.\n"},
       {"ersetzt"},
       1},
      {"nor the program before it",
       Block("Ziel=Datei*\r\nExterner Programmaufruf=calc.exe*\r\nDateiname=f*", "d"),
       {"  Programm:    keins\n",
        "Hinweis: Der Eintrag \"Externer Programmaufruf=\" (Zeile 3, Spalte 1) steht vor "
        "\"Dateiname=" + notRead + "kein Programm wird gestartet.\n",
        noPrograms},
       {},
       1},
      {"a program before the append is not reached either",
       Block("Ziel=Datei*Dateiname=f*\r\nExterner Programmaufruf=calc.exe*Anhaengen=Ja*", "d"),
       {"  Anh\344ngen:    ja\n", "(Zeile 3, Spalte 1) steht vor \"Anhaengen=" + notRead,
        noPrograms},
       {},
       1},
      {"nor a clipboard append before the target",
       Block("Anhaengen=Ja*\r\nZiel=Zwischenablage*", "d"),
       {"(Zeile 2, Spalte 1) steht vor \"Ziel=" + notRead +
        "die Zwischenablage wird vorher geleert.\n"},
       {},
       1},
      {"append in lower case", Block(kFile + "\r\nAnhaengen=ja*", "d"),
       {"Hinweis: \"Anhaengen=ja\" (Zeile 4, Spalte 1) schaltet das Anh\344ngen nicht ein: nur "
        "\"Ja\", genau so geschrieben.\n"},
       {"nicht gelesen"},
       1},
      {"a line break before the file name's \"*\"", RawBlock("Ziel=Datei*Dateiname=C:\\x.txt\r\n*"),
       {"  Dateiname:   C:\\x.txt<CR><LF>\n",
        cannotWrite + "enth\344lt einen Zeilenumbruch (das \"*\" muss direkt hinter dem Wert "
                      "stehen).\n",
        "Ergebnis: 0 von 1 Bl\366cken werden geliefert.\n"},
       {kDeliveredLine},
       1},
      {"a file name ending in a backslash: the program is started all the same",
       RawBlock("Ziel=Datei*Dateiname=C:\\neu\\*Externer Programmaufruf=calc.exe*"),
       {cannotWrite + "endet mit \"\\\" und nennt so ein Verzeichnis, keine Datei. qor.exe "
                      "startet das Programm des Blocks trotzdem.\n",
        "startet:\n  Block 1, Externer Programmaufruf: calc.exe\n"},
       {kDeliveredLine},
       1},
      {"or a slash", RawBlock("Ziel=Datei*Dateiname=C:\\neu/*"),
       {cannotWrite + "endet mit \"/\" und nennt so ein Verzeichnis, keine Datei.\n"},
       {kDeliveredLine},
       1},
      {"a control character", RawBlock("Ziel=Datei*Dateiname=C:\\x\x01.txt*"),
       {cannotWrite + "enth\344lt das Steuerzeichen <0x01>.\n"}, {kDeliveredLine}, 1},
      {"a tab", RawBlock("Ziel=Datei*Dateiname=C:\\x\t.txt*"),
       {cannotWrite + "enth\344lt das Steuerzeichen <TAB>.\n"}, {kDeliveredLine}, 1},
      {"a long path's \"\\\\?\\\" is no question mark", RawBlock("Ziel=Datei*Dateiname=\\\\?\\C:\\x.txt*"),
       {kDeliveredLine}, {"NICHT"}, 0},
      {"Windows gets a file name up to its NUL",
       RawBlock("Ziel=Datei*" + std::string("Dateiname=C:\\x.txt\0?", 20) + "*"),
       {"  Dateiname:   C:\\x.txt<NUL>?\n", kDeliveredLine,
        "Hinweis: Der Dateiname (Zeile 1, Spalte 29) enth\344lt ein Nullzeichen: Windows erh\344lt "
        "nur \"C:\\x.txt\".\n"},
       {},
       1},
  };
  for (const char refusedChar : {'"', '<', '>', '|', '?'}) {
    rows.push_back({"a character Windows refuses",
                    RawBlock("Ziel=Datei*Dateiname=C:\\x" + std::string(1, refusedChar) + ".txt*"),
                    {cannotWrite + "enth\344lt das Zeichen \"" + refusedChar + "\"" + refused},
                    {kDeliveredLine},
                    1});
  }
  // A line break in a DDE name or a command line is named where it stands;
  // the block is still handed over and its program or server listed.
  for (const std::string key : {"DDE-Service=", "DDE-Server=", "DDE-Topic=", "DDE-Item="}) {
    std::string header = dde;
    const size_t at = header.find(key);
    header.insert(header.find('*', at), "\r\n");
    rows.push_back({"a line break in a DDE value", RawBlock(header),
                    {"Hinweis: Zeilenumbruch im Wert von \"" + key + "\" (Zeile 1, Spalte " +
                         std::to_string(18 + at) + ")" + lineBreak + "\n",
                     kDeliveredLine, ", DDE-Service (wenn es nicht schon l\344uft): srv.exe"},
                    {},
                    1});
  }
  rows.push_back({"a line break in the command line",
                  RawBlock("Ziel=Datei*Dateiname=C:\\x.txt*Externer Programmaufruf=calc.exe x\n*"),
                  {"Hinweis: Zeilenumbruch im Wert von \"Externer Programmaufruf=\" (Zeile 1, "
                   "Spalte 48)" + lineBreak + "\n",
                   "  Block 1, Externer Programmaufruf: calc.exe x<LF>\n"},
                  {},
                  1});
  for (const Row& row : rows) {
    const JobCheck check = Check(row.job);
    const std::string report = FormatCheck(check, "a.qor");
    SCOPED_TRACE(std::string(row.what) + "\n" + report);
    for (const std::string& text : row.says) EXPECT_NE(report.find(text), std::string::npos) << text;
    for (const std::string& text : row.never) EXPECT_EQ(report.find(text), std::string::npos) << text;
    EXPECT_EQ(CheckStatus(check), row.status);
  }
}

TEST(Checker, DdeEntryBeforeTargetMakesHeaderInvalid) {
  const JobCheck check = Check(
      Block("DDE-Topic=T*\r\nZiel=DDE*\r\nDDE-Service=s*\r\nDDE-Server=S*\r\nDDE-Item=I*", "d"));
  ASSERT_EQ(check.blocks.size(), 1u);
  EXPECT_EQ(check.blocks[0].reason,
            "Der Eintrag \"DDE-Topic=\" (Zeile 2, Spalte 1) steht vor dem Eintrag \"Ziel=\" und "
            "wird deshalb nicht gelesen; er muss dahinter stehen.");
}

TEST(Checker, MissingAndBlankValues) {
  EXPECT_EQ(Check(Block("Ziel=Datei*", "d")).blocks[0].reason,
            "Der Eintrag \"Dateiname=\" fehlt.");
  EXPECT_EQ(Check(Block("Ziel=Datei*Dateiname=  *", "d")).blocks[0].reason,
            "Der Wert von \"Dateiname=\" (Zeile 2, Spalte 12) ist leer.");
  EXPECT_EQ(Check(Block("ziel=Datei*", "d")).blocks[0].reason,
            "Der Eintrag \"Ziel=\" fehlt; in Zeile 2, Spalte 1 steht \"ziel=\" "
            "(Gro\337-/Kleinschreibung beachten).");
}

TEST(Checker, BlankPayloadAndMissingDataSection) {
  const JobCheck blank = Check(Block(kFile, "   ") + Block(kFile, "x"));
  ASSERT_EQ(blank.blocks.size(), 2u);
  EXPECT_FALSE(blank.blocks[0].delivered);
  EXPECT_TRUE(blank.blocks[1].delivered);
  EXPECT_EQ(CheckStatus(blank), 1);

  const JobCheck none = Check("(((HEADERSTART)))" + kFile + "(((HEADEREND)))");
  ASSERT_EQ(none.blocks.size(), 1u);
  EXPECT_FALSE(none.blocks[0].delivered);
  EXPECT_EQ(none.blocks[0].reason,
            "Kein Datenbereich: nach dem Kopf folgt kein \"(((DATASTART)))\".");
}

TEST(Checker, HeaderFollowedDirectlyByAnotherBlock) {
  const JobCheck check =
      Check("(((HEADERSTART)))Ziel=Zwischenablage*(((HEADEREND)))\r\n" + Block(kFile, "fremd"));
  ASSERT_EQ(check.blocks.size(), 1u);
  EXPECT_TRUE(check.blocks[0].delivered);
  EXPECT_EQ(check.blocks[0].block.TargetCode, TargetClipboard);
  EXPECT_EQ(check.blocks[0].block.DataText, "fremd");
  EXPECT_EQ(check.passedOver, 1);
  EXPECT_EQ(CheckStatus(check), 1);
}

TEST(Checker, MissingDataEndSwallowsFollowingBlocks) {
  const JobCheck check =
      Check("(((HEADERSTART)))" + kFile + "(((HEADEREND)))(((DATASTART)))a\r\n" +
               "(((HEADERSTART)))" + kFile + "(((HEADEREND)))(((DATASTART)))b");
  ASSERT_EQ(check.blocks.size(), 1u);
  EXPECT_TRUE(check.blocks[0].delivered);
  ASSERT_EQ(check.blocks[0].hints.size(), 1u);
  EXPECT_NE(check.blocks[0].hints[0].find("enthalten 1 weitere"), std::string::npos);
  EXPECT_TRUE(check.endsEarly);
}

// A missing end marker before a later block's: that block is read as part of
// this one, is not delivered on its own, and the job does not pass.
TEST(Checker, HeadersInsideAnotherBlockAreNamed) {
  const std::string later = "(((HEADERSTART)))\r\n" + kFile + "(((HEADEREND)))";
  const struct {
    std::string job, hint;
  } cases[] = {
      {"(((HEADERSTART)))Ziel=Zwischenablage*\r\n" + later + "(((DATASTART)))a(((DATAEND)))",
       "\"(((HEADEREND)))\" fehlt vor dem Kopf in Zeile 2, Spalte 1: dieser Kopf reicht bis zum "
       "n\344chsten \"(((HEADEREND)))\" und enth\344lt 1 weitere(n) Kopf/K\366pfe; deren "
       "Eintr\344ge gelten als Teil dieses Kopfes, ihre Bl\366cke werden nicht einzeln geliefert."},
      {jobtext::Header("Ziel=Zwischenablage*") + "(((DATASTART)))a\r\n" + later +
           "(((DATASTART)))b(((DATAEND)))",
       "Die Nutzdaten enthalten 1 weitere(n) Block/Bl\366cke als Text, den ersten in Zeile 5, "
       "Spalte 1 (fehlt davor \"(((DATAEND)))\"?); diese werden nicht einzeln geliefert."},
  };
  for (const auto& c : cases) {
    const JobCheck check = Check(c.job);
    ASSERT_EQ(check.blocks.size(), 1u) << c.job;
    EXPECT_TRUE(check.blocks[0].delivered);
    EXPECT_EQ(check.blocks[0].block.TargetCode, TargetClipboard);
    ASSERT_EQ(check.blocks[0].hints.size(), 1u) << c.job;
    EXPECT_EQ(check.blocks[0].hints[0], c.hint);
    EXPECT_EQ(check.swallowed, 1);
    EXPECT_EQ(CheckStatus(check), 1);
  }
}

TEST(Checker, HeaderWithoutEndMarker) {
  const JobCheck check = Check(Block(kFile, "a") + "(((HEADERSTART)))" + kFile + "\r\n");
  ASSERT_EQ(check.blocks.size(), 2u);
  EXPECT_TRUE(check.blocks[0].delivered);
  EXPECT_FALSE(check.blocks[1].delivered);
  EXPECT_NE(check.blocks[1].reason.find("(((HEADEREND)))"), std::string::npos);
}

TEST(Checker, ReportIsGermanWindows1252) {
  const JobCheck check = Check(Block(kFile, "\r\nZeile\r\n"));
  const std::string report = FormatCheck(check, "a.qor");
  EXPECT_NE(report.find("Block 1 (Zeile 1, Spalte 1): Datei\n"), std::string::npos) << report;
  EXPECT_NE(report.find("  Nutzdaten:   9 Bytes ab Zeile 5, Spalte 16: \"\\r\\nZeile\\r\\n\"\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("Ergebnis: 1 von 1 Bl\366"
                        "cken werden geliefert.\n"),
            std::string::npos);
}

// The hint for "Externer Programmaufruf=" in line 4 of a file block, or "".
std::string ProgramHint(const std::string& command) {
  const JobCheck check =
      Check(Block(kFile + "\r\nExterner Programmaufruf=" + command + "*", "d"));
  for (const std::string& hint : check.blocks.at(0).hints) {
    if (hint.rfind("Der Programmpfad", 0) == 0) return hint;
  }
  return "";
}

TEST(Checker, UnquotedProgramPathWithABlankNamesWhatWindowsStartsFirst) {
  const std::string start =
      "Der Programmpfad in \"Externer Programmaufruf=\" (Zeile 4, Spalte 1) enth\344lt ein "
      "Leerzeichen und steht nicht in Anf\374hrungszeichen: Windows startet zuerst ";
  const std::string end = ". Ein Programmpfad mit Leerzeichen geh\366rt in Anf\374hrungszeichen.";
  EXPECT_EQ(ProgramHint("C:\\acc\\Pro gram\\srv.exe"),
            start +
                "\"C:\\acc\\Pro.exe\", wenn es diese Datei gibt, und erst danach "
                "\"C:\\acc\\Pro gram\\srv.exe\"" +
                end);
  EXPECT_EQ(ProgramHint("C:\\Program Files\\Mein Tool\\viewer.exe C:\\x.txt"),
            start +
                "\"C:\\Program.exe\", wenn es diese Datei gibt, dann "
                "\"C:\\Program Files\\Mein.exe\", und erst danach "
                "\"C:\\Program Files\\Mein Tool\\viewer.exe\"" +
                end);
  // A first part with an extension gets no ".exe"; a path going on without a
  // program extension leaves the program meant unknown.
  EXPECT_EQ(ProgramHint("C:\\acc\\v1.2 neu\\x.cmd"),
            start +
                "\"C:\\acc\\v1.2\", wenn es diese Datei gibt, und erst danach "
                "\"C:\\acc\\v1.2 neu\\x.cmd\"" +
                end);
  EXPECT_EQ(ProgramHint("C:\\tools\\conv neu\\x"),
            start + "\"C:\\tools\\conv.exe\", wenn es diese Datei gibt" + end);
  for (const char* clear : {"\"C:\\Program Files\\x.exe\" a b", "C:\\Tools\\viewer.exe C:\\a b.txt",
                            "notepad C:\\x.txt", "notepad datei.txt", "cmd /c C:\\a b\\x.bat",
                            "C:\\Tools\\viewer.exe"}) {
    EXPECT_EQ(ProgramHint(clear), "") << clear;
  }
}

// The hint for the server of a DDE block whose "DDE-Service=" is in line 3,
// or "".
std::string ServiceHint(const std::string& service) {
  const JobCheck check = Check(
      Block("Ziel=DDE*\r\nDDE-Service=" + service + "*DDE-Server=S*DDE-Topic=T*DDE-Item=I*", "d"));
  for (const std::string& hint : check.blocks.at(0).hints) {
    if (hint.find("\"DDE-Service=\"") != std::string::npos) return hint;
  }
  return "";
}

// Away from Windows the checker cannot look for the program in a value with a
// blank: it states the rule qor.exe follows.
TEST(Checker, ServerValueQuotedRefusedOrTakenApartIsNamed) {
  EXPECT_EQ(ServiceHint("C:\\Programme\\Bib Neu\\bestell.exe /dde"),
            "\"DDE-Service=\" (Zeile 3, Spalte 1) nennt \"C:\\Programme\\Bib Neu\\bestell.exe "
            "/dde\", mit Leerzeichen und nicht in Anf\374hrungszeichen: muss qor.exe den Server "
            "starten, so startet es davon den l\344ngsten Teil bis vor einem Leerzeichen oder bis "
            "zum Ende, der ein Programm nennt (ohne Verzeichnis \374ber den Suchpfad, \".exe\" "
            "erg\344nzt), in Anf\374hrungszeichen, mit dem Rest als Argumenten; einen k\374rzeren "
            "Teil nur, wenn der Wert dahinter nicht durch einen vorhandenen Ordner weitergeht. Nennt "
            "kein Teil ein Programm, startet es nichts (\"Datei nicht gefunden\"). Welcher Teil das "
            "ist, sagt qorcheck.exe auf dem Rechner des Auftrags.");
  EXPECT_EQ(ServiceHint("\"C:\\Programme\\Bib Neu\\bestell.exe\" /dde"),
            "Der Wert von \"DDE-Service=\" (Zeile 3, Spalte 1) steht in Anf\374hrungszeichen: "
            "qor.exe gibt ihn Windows unver\344ndert als Befehlszeile. Der Wert als Ganzes ist kein "
            "Programmpfad, also wird der Server nie als laufend erkannt: qor.exe startet ihn f\374r "
            "jeden Block, wo es Server startet (Windows 95 bis XP).");
  EXPECT_EQ(ServiceHint("C:\\srv.exe" + std::string(1, '\0')),
            "Der Wert von \"DDE-Service=\" (Zeile 3, Spalte 1) enth\344lt ein NUL-Zeichen: muss "
            "qor.exe den Server starten, so startet es nichts und meldet \"Dateiname oder -nummer "
            "falsch\".");
  for (const char* plain : {"C:\\Programme\\Bestell\\bestell.exe", "bestell.exe", "hulintern"}) {
    EXPECT_EQ(ServiceHint(plain), "") << plain;
  }
}

TEST(Checker, ReportEndsWithEveryProgramTheJobStarts) {
  const std::string job =
      Block(kFile + "\r\nExterner Programmaufruf=C:\\Tools\\v.exe a*", "eins") +
      Block(kFile + "\r\nExterner Programmaufruf=C:\\Tools\\nie.exe*", " ") +
      Block("Ziel=Zwischenablage*", "zwei") +
      Block("Ziel=DDE*DDE-Service=C:\\Srv\\srv.exe*DDE-Server=S*DDE-Topic=T*DDE-Item=I*", "drei");
  const std::string report = FormatCheck(Check(job), "a.qor");
  const std::string list =
      "\nProgramme, die dieser Auftrag startet:\n"
      "  Block 1, Externer Programmaufruf: C:\\Tools\\v.exe a\n"
      "  Block 4, DDE-Service (wenn es nicht schon l\344uft): C:\\Srv\\srv.exe\n";
  EXPECT_EQ(report.substr(report.size() - std::min(report.size(), list.size())), list) << report;
  const std::string none = FormatCheck(Check(Block(kFile, "x")), "b.qor");
  EXPECT_EQ(none.substr(none.rfind('\n', none.size() - 2) + 1),
            "Programme, die dieser Auftrag startet: keine\n");
}

TEST(Checker, LineAndColumnCountLineFeeds) {
  EXPECT_EQ(LocatePosition("ab\r\ncd", 1).line, 1);
  EXPECT_EQ(LocatePosition("ab\r\ncd", 5).line, 2);
  EXPECT_EQ(LocatePosition("ab\r\ncd", 5).column, 1);
  EXPECT_EQ(LocatePosition("ab\r\ncd", 6).column, 2);
}

}  // namespace
