#include "verdict_texts.h"

#include <cstdio>
#include <iterator>

#include "target_table.h"

namespace {

std::string Quoted(std::string_view s) { return "\"" + Shown(s) + "\""; }

constexpr char kMindTheCase[] = " (Gro\337-/Kleinschreibung beachten).";

}  // namespace

std::string Shown(std::string_view value) {
  std::string out;
  for (const char c : value) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) {
      out += c;
    } else if (c == '\r') {
      out += "<CR>";
    } else if (c == '\n') {
      out += "<LF>";
    } else if (c == '\t') {
      out += "<TAB>";
    } else if (c == '\0') {
      out += "<NUL>";
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "<0x%02X>", u);
      out += code;
    }
  }
  return out;
}

std::string PlaceText(int32_t line, int32_t column) {
  return "Zeile " + std::to_string(line) + ", Spalte " + std::to_string(column);
}

std::string EntryMissing(std::string_view key) { return "Der Eintrag " + Quoted(key) + " fehlt."; }

std::string EntryInOtherCase(std::string_view key, const std::string& where,
                             std::string_view written) {
  return "Der Eintrag " + Quoted(key) + " fehlt; in " + where + " steht " + Quoted(written) +
         kMindTheCase;
}

std::string EntryBeforeTarget(std::string_view key, const std::string& where) {
  return "Der Eintrag " + Quoted(key) + " (" + where +
         ") steht vor dem Eintrag \"Ziel=\" und wird deshalb nicht gelesen; er muss dahinter "
         "stehen.";
}

std::string LineBreakInValue(std::string_view key, const std::string& where) {
  return "Zeilenumbruch im Wert von " + Quoted(key) + " (" + where +
         "): das \"*\" muss direkt hinter dem Wert stehen.";
}

std::string ValueEmpty(std::string_view key, const std::string& where) {
  return "Der Wert von " + Quoted(key) + " (" + where + ") ist leer.";
}

std::string TargetInOtherCase(std::string_view value, const std::string& where,
                              std::string_view meant) {
  return "Unbekanntes Ziel " + Quoted(value) + " (" + where + "): gemeint ist wohl " +
         Quoted(meant) + kMindTheCase;
}

std::string UnknownTarget(std::string_view value, const std::string& where) {
  std::string keywords;
  for (size_t i = 0; i < std::size(kTargets); ++i) {
    if (i > 0) keywords += i + 1 < std::size(kTargets) ? ", " : " und ";
    keywords += Quoted(kTargets[i].keyword);
  }
  return "Unbekanntes Ziel " + Quoted(value) + " (" + where + "); m\366glich sind " + keywords +
         ".";
}

std::string EntryNotRead(std::string_view key, const std::string& where, std::string_view before,
                         std::string_view effect) {
  return "Der Eintrag " + Quoted(key) + " (" + where + ") steht vor " + Quoted(before) +
         " und wird deshalb nicht gelesen: " + std::string(effect);
}

std::string AppendInOtherCase(std::string_view value, const std::string& where) {
  return "\"Anhaengen=" + Shown(value) + "\" (" + where +
         ") schaltet das Anh\344ngen nicht ein: nur \"Ja\", genau so geschrieben.";
}

std::string LineBreakInAppend(const std::string& where) {
  return "Zeilenumbruch im Wert von \"Anhaengen=\" (" + where + "): " + kAppendStaysOff;
}

std::string LineBreakInRead(std::string_view key, const std::string& where) {
  return "Zeilenumbruch im Wert von " + Quoted(key) + " (" + where +
         "): qor.exe nimmt ihn als Teil des Werts; das \"*\" muss direkt hinter dem Wert stehen.";
}

std::string NameHasControlCharacter(char c) {
  return "enth\344lt das Steuerzeichen " + Shown(std::string_view(&c, 1));
}

std::string NameHasRefusedCharacter(char c) {
  return "enth\344lt das Zeichen " + Quoted(std::string_view(&c, 1)) +
         ", das Windows in Dateinamen nicht zul\344sst";
}

std::string NameEndsInSeparator(char c) {
  return "endet mit " + Quoted(std::string_view(&c, 1)) + " und nennt so ein Verzeichnis, keine Datei";
}

std::string FileNotWritable(const std::string& where, std::string_view why, bool programFollows) {
  std::string text = "Die Datei kann nicht geschrieben werden: der Dateiname (" + where + ") " +
                     std::string(why) + ".";
  if (programFollows) text += " qor.exe startet das Programm des Blocks trotzdem.";
  return text;
}

std::string FileNameCutAtNul(const std::string& where, std::string_view given) {
  return "Der Dateiname (" + where + ") enth\344lt ein Nullzeichen: Windows erh\344lt nur " +
         Quoted(given) + ".";
}

std::string UnquotedProgram(const std::string& where, const std::vector<std::string>& tried,
                            std::string_view meant) {
  std::string hint = "Der Programmpfad in \"Externer Programmaufruf=\" (" + where +
                     ") enth\344lt ein Leerzeichen und steht nicht in Anf\374hrungszeichen: "
                     "Windows startet zuerst " +
                     Quoted(tried.front()) + ", wenn es diese Datei gibt";
  for (size_t i = 1; i < tried.size(); ++i) hint += ", dann " + Quoted(tried[i]);
  if (!meant.empty()) hint += ", und erst danach " + Quoted(meant);
  return hint + ". Ein Programmpfad mit Leerzeichen geh\366rt in Anf\374hrungszeichen.";
}

namespace {

constexpr char kNeverFoundRunning[] =
    " Der Wert als Ganzes ist kein Programmpfad, also wird der Server nie als laufend erkannt: "
    "qor.exe startet ihn f\374r jeden Block, wo es Server startet (Windows 95 bis XP).";

std::string ServiceNamed(const std::string& where, std::string_view service) {
  return "\"DDE-Service=\" (" + where + ") nennt " + Quoted(service) +
         ", mit Leerzeichen und nicht in Anf\374hrungszeichen: ";
}

}  // namespace

std::string ServerValueRefused(const std::string& where) {
  return "Der Wert von \"DDE-Service=\" (" + where +
         ") enth\344lt ein NUL-Zeichen: muss qor.exe den Server starten, so startet es nichts und "
         "meldet \"Dateiname oder -nummer falsch\".";
}

std::string ServerValueQuoted(const std::string& where) {
  return "Der Wert von \"DDE-Service=\" (" + where +
         ") steht in Anf\374hrungszeichen: qor.exe gibt ihn Windows unver\344ndert als "
         "Befehlszeile." +
         kNeverFoundRunning;
}

std::string ServerValueTakenApart(const std::string& where, std::string_view service) {
  return ServiceNamed(where, service) +
         "muss qor.exe den Server starten, so startet es davon den l\344ngsten Teil bis vor "
         "einem Leerzeichen oder bis zum Ende, der ein Programm nennt (ohne Verzeichnis \374ber "
         "den Suchpfad, \".exe\" erg\344nzt), in Anf\374hrungszeichen, mit dem Rest als "
         "Argumenten; einen k\374rzeren Teil nur, wenn der Wert dahinter nicht durch einen "
         "vorhandenen Ordner weitergeht. Nennt kein Teil ein Programm, startet es nichts "
         "(\"Datei nicht gefunden\"). Welcher Teil das ist, sagt qorcheck.exe auf dem Rechner "
         "des Auftrags.";
}

std::string ServerValueStarts(const std::string& where, std::string_view service,
                              std::string_view program, std::string_view arguments) {
  std::string hint = ServiceNamed(where, service) +
                     "muss qor.exe den Server starten, so startet es auf diesem Rechner " +
                     Quoted(program);
  if (arguments.empty()) return hint + ", das Ganze, keinen k\374rzeren Teil.";
  return hint + " mit den Argumenten " + Quoted(arguments) + "." + kNeverFoundRunning;
}

std::string ServerValueWithoutProgram(const std::string& where, std::string_view service) {
  return ServiceNamed(where, service) +
         "kein Teil davon bis vor einem Leerzeichen oder bis zum Ende nennt auf diesem Rechner "
         "ein Programm, das qor.exe starten w\374rde; muss es den Server starten, so startet es "
         "nichts und meldet \"Datei nicht gefunden\".";
}

std::string HeaderWithoutData(const std::string& nextHeaderWhere) {
  return "Dieser Kopf hat keinen eigenen Datenbereich: es folgt direkt der Kopf in " +
         nextHeaderWhere +
         "; dessen Nutzdaten werden unter diesem Kopf geliefert und jener Kopf wird "
         "\374bersprungen.";
}

std::string DataEndMissing(int32_t swallowedHeaders) {
  std::string text = "\"(((DATAEND)))\" fehlt: die Nutzdaten reichen bis zum Dateiende";
  if (swallowedHeaders > 0) {
    text += " und enthalten " + std::to_string(swallowedHeaders) +
            " weitere(n) Block/Bl\366cke als Text; diese werden nicht einzeln geliefert";
  }
  return text + ". Der Lauf endet nach diesem Block.";
}

std::string HeadersInHeader(const std::string& where, int32_t headers) {
  return "\"(((HEADEREND)))\" fehlt vor dem Kopf in " + where +
         ": dieser Kopf reicht bis zum n\344chsten \"(((HEADEREND)))\" und enth\344lt " +
         std::to_string(headers) +
         " weitere(n) Kopf/K\366pfe; deren Eintr\344ge gelten als Teil dieses Kopfes, ihre Bl\366cke "
         "werden nicht einzeln geliefert.";
}

std::string HeadersInPayload(const std::string& where, int32_t headers) {
  return "Die Nutzdaten enthalten " + std::to_string(headers) +
         " weitere(n) Block/Bl\366cke als Text, den ersten in " + where +
         " (fehlt davor \"(((DATAEND)))\"?); diese werden nicht einzeln geliefert.";
}

std::string RegularEnd(const std::string& where) {
  return "Ende: kein weiterer Kopf ab " + where + " - der Lauf endet regul\344r.";
}

std::string EndsAtInvalidHeader(int32_t laterHeaders) {
  std::string text = "Der Lauf endet an diesem ung\374ltigen Kopf";
  if (laterHeaders == 0) return text + ".";
  return text + "; " + std::to_string(laterHeaders) +
         " weitere(r) Block/Bl\366cke danach werden nicht mehr betrachtet.";
}

std::string ReportHeading(const std::string& jobName, size_t bytes) {
  return "Auftragsdatei " + Shown(jobName) + " (" + std::to_string(bytes) + " Bytes)\n";
}

std::string BlockHeading(int number, const std::string& where) {
  return "\nBlock " + std::to_string(number) + " (" + where + "): ";
}

std::string InvalidHeaderLines(const std::string& reason) {
  return "Kopf ung\374ltig\n  Grund: " + reason + "\n";
}

std::string FileLines(const std::string& fileName, bool append, const std::string& program) {
  return "  Dateiname:   " + Shown(fileName) +
         "\n  Anh\344ngen:    " + (append ? "ja" : "nein (ersetzen)") +
         "\n  Programm:    " + (program.empty() ? "keins" : Shown(program)) + "\n";
}

std::string ClipboardLines(bool append) {
  return std::string("  Anh\344ngen:    ") +
         (append ? "ja (andere Formate bleiben)" : "nein (Zwischenablage wird geleert)") + "\n";
}

std::string DdeLines(const std::string& service, const std::string& server,
                     const std::string& topic, const std::string& item) {
  return "  DDE-Service: " + Shown(service) + "\n" + "  DDE-Server:  " + Shown(server) + "\n" +
         "  DDE-Topic:   " + Shown(topic) + "\n" + "  DDE-Item:    " + Shown(item) + "\n";
}

std::string PayloadLine(size_t bytes, const std::string& where, const std::string& preview) {
  return "  Nutzdaten:   " + std::to_string(bytes) + " Bytes ab " + where + ": " + preview + "\n";
}

std::string NotDeliveredLine(const std::string& reason) {
  return "  => wird NICHT geliefert: " + reason + "\n";
}

std::string HintLine(const std::string& hint) { return "  Hinweis: " + hint + "\n"; }

std::string ResultLine(int delivered, int32_t headers) {
  return "Ergebnis: " + std::to_string(delivered) + " von " + std::to_string(headers) +
         " Bl\366cken werden geliefert.\n";
}

std::string CompanionService(const std::string& path, bool found) {
  std::string service = "hulintern -> " + path;
  if (!found) {
    service +=
        " (ZIRARUDAZADER.INI fehlt oder ist leer: qor.exe versucht \"hulintern\" zu "
        "starten)";
  }
  return service;
}

std::string ProgramLine(int block, const std::string& program) {
  return "  Block " + std::to_string(block) + ", Externer Programmaufruf: " + Shown(program) + "\n";
}

std::string ServerLine(int block, const std::string& service) {
  return "  Block " + std::to_string(block) +
         ", DDE-Service (wenn es nicht schon l\344uft): " + Shown(service) + "\n";
}

std::string ProgramList(const std::string& lines) {
  return "Programme, die dieser Auftrag startet:" + (lines.empty() ? " keine\n" : "\n" + lines);
}

std::string CannotRead(const std::string& path) {
  return "qorcheck: " + Shown(path) + " kann nicht gelesen werden\n";
}

std::string ArgumentQuoted(const std::string& argument) {
  return "qorcheck: " + Shown(argument) +
         " steht in Anf\374hrungszeichen: qor.exe nimmt sie als Teil des Dateinamens und findet "
         "die Datei nicht. Den Pfad ohne Anf\374hrungszeichen angeben, auch wenn er Leerzeichen "
         "enth\344lt.\n";
}

std::string TooLargeToCheck(const std::string& path) {
  return "qorcheck: " + Shown(path) + " ist zu gro\337, um gepr\374ft zu werden (zu wenig Speicher)\n";
}
