// Every text of qorcheck: the verdicts on a job file's blocks, the hints, how
// the run ends, the report's lines and the program's own messages. German,
// Windows-1252; letters beyond ASCII are octal escapes as in qor.exe (legend
// in delivery/portable/texts.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A value as the report shows it: control characters as <CR>, <LF>, <TAB>,
// <NUL> or <0x1B>, so that every line of the report is one line and a path's
// backslashes stay as they are.
std::string Shown(std::string_view value);

// Where something stands in the job file: "Zeile 3, Spalte 1".
std::string PlaceText(int32_t line, int32_t column);

// Why a header is invalid
inline constexpr char kHeaderEmpty[] = "Der Kopfbereich ist leer.";
std::string EntryMissing(std::string_view key);
std::string EntryInOtherCase(std::string_view key, const std::string& where,
                             std::string_view written);
std::string EntryBeforeTarget(std::string_view key, const std::string& where);
std::string LineBreakInValue(std::string_view key, const std::string& where);
std::string ValueEmpty(std::string_view key, const std::string& where);
std::string TargetInOtherCase(std::string_view value, const std::string& where,
                              std::string_view meant);
std::string UnknownTarget(std::string_view value, const std::string& where);

// Hints for a header that is valid: an entry written where it is not read,
// and what follows from it
std::string EntryNotRead(std::string_view key, const std::string& where, std::string_view before,
                         std::string_view effect);
inline constexpr char kFileReplaced[] = "die Datei wird ersetzt, nicht erg\344nzt.";
inline constexpr char kNoProgramStarted[] = "kein Programm wird gestartet.";
inline constexpr char kClipboardEmptied[] = "die Zwischenablage wird vorher geleert.";
inline constexpr char kAppendStaysOff[] = "das Anh\344ngen bleibt aus.";
std::string AppendInOtherCase(std::string_view value, const std::string& where);
std::string LineBreakInAppend(const std::string& where);
// A line break in any other value the parser read.
std::string LineBreakInRead(std::string_view key, const std::string& where);
// A file Windows can never write: where its name stands, why (one of the
// texts below) and whether the block's program is started all the same.
std::string FileNotWritable(const std::string& where, std::string_view why, bool programFollows);
inline constexpr char kNameEmpty[] =
    "beginnt mit einem Nullzeichen: Windows erh\344lt einen leeren Namen";
inline constexpr char kNameHasLineBreak[] =
    "enth\344lt einen Zeilenumbruch (das \"*\" muss direkt hinter dem Wert stehen)";
std::string NameHasControlCharacter(char c);
std::string NameHasRefusedCharacter(char c);
std::string NameEndsInSeparator(char c);
// A file name with a NUL: Windows gets the part before it.
std::string FileNameCutAtNul(const std::string& where, std::string_view given);
// An unquoted program path with a blank: the programs Windows tries first,
// in order, and the one meant (empty when it cannot be told).
std::string UnquotedProgram(const std::string& where, const std::vector<std::string>& tried,
                            std::string_view meant);

// How qor.exe starts a "DDE-Service=" value: refused for its NUL; quoted by
// the job, so never found running; with a blank, the rule, or what it starts
// on this machine (`program` with `arguments`) or that it starts nothing.
std::string ServerValueRefused(const std::string& where);
std::string ServerValueQuoted(const std::string& where);
std::string ServerValueTakenApart(const std::string& where, std::string_view service);
std::string ServerValueStarts(const std::string& where, std::string_view service,
                              std::string_view program, std::string_view arguments);
std::string ServerValueWithoutProgram(const std::string& where, std::string_view service);

// Data sections
inline constexpr char kNoDataSection[] =
    "Kein Datenbereich: nach dem Kopf folgt kein \"(((DATASTART)))\".";
inline constexpr char kDataEmpty[] = "Der Datenbereich ist leer (oder enth\344lt nur Leerzeichen).";
inline constexpr char kHeaderEndMissing[] =
    "\"(((HEADEREND)))\" fehlt: der Kopf reicht bis zum Dateiende, der Block hat keinen "
    "Datenbereich.";
std::string HeaderWithoutData(const std::string& nextHeaderWhere);
std::string DataEndMissing(int32_t swallowedHeaders);
// Headers of later blocks read as part of this block: `where` is the first.
std::string HeadersInHeader(const std::string& where, int32_t headers);
std::string HeadersInPayload(const std::string& where, int32_t headers);

// How the run ends
std::string RegularEnd(const std::string& where);
std::string EndsAtInvalidHeader(int32_t laterHeaders);
inline constexpr char kEndsAtUnterminatedHeader[] =
    "Der Lauf endet an diesem Kopf ohne Ende-Marke.";
inline constexpr char kEndsWithThisBlock[] = "Der Lauf endet mit diesem Block.";

// The report
std::string ReportHeading(const std::string& jobName, size_t bytes);
std::string BlockHeading(int number, const std::string& where);
std::string InvalidHeaderLines(const std::string& reason);
std::string FileLines(const std::string& fileName, bool append, const std::string& program);
std::string ClipboardLines(bool append);
std::string DdeLines(const std::string& service, const std::string& server,
                     const std::string& topic, const std::string& item);
std::string PayloadLine(size_t bytes, const std::string& where, const std::string& preview);
inline constexpr char kDeliveredLine[] = "  => wird geliefert\n";
std::string NotDeliveredLine(const std::string& reason);
std::string HintLine(const std::string& hint);
std::string ResultLine(int delivered, int32_t headers);
// "DDE-Service=hulintern": where it leads; `found` is false when qor.exe
// would find no companion path and try to start "hulintern" itself.
std::string CompanionService(const std::string& path, bool found);
// The programs the job starts: a file block's program, a DDE block's server.
std::string ProgramLine(int block, const std::string& program);
std::string ServerLine(int block, const std::string& service);
std::string ProgramList(const std::string& lines);

// Where "hulintern" leads, for a checker built away from Windows.
inline constexpr char kCompanionElsewhere[] =
    "dravo.exe; der Pfad kommt beim Lauf aus ZIRARUDAZADER.INI im Windows-Verzeichnis";

// qorcheck's own messages
inline constexpr char kUsage[] = "Aufruf: qorcheck AUFTRAGSDATEI\n";
std::string CannotRead(const std::string& path);
// An argument in quotation marks, which qor.exe takes as part of the name.
std::string ArgumentQuoted(const std::string& argument);
// A job, or its report, that does not fit the memory qorcheck can have.
std::string TooLargeToCheck(const std::string& path);
inline constexpr char kJobFileEmpty[] =
    "Die Auftragsdatei ist leer: qor.exe meldet sie als nicht vorhanden.\n";
