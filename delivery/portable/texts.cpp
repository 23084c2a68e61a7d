#include "texts.h"

#include "text_format.h"

std::string ParameterLine(const std::string& argument) { return "Parameter:  " + argument; }

std::string JobFileMissing(const std::string& path) { return path + " nicht vorhanden"; }

std::string ReadFailure(const QorError& error) {
  return "Fehler beim Lesen der Daten: " + SignedNumber(error.number) + " " + error.description;
}

std::string SaveFailure(const std::string& fileName, const QorError& error) {
  return fileName + " kann nicht gespeichert werden. Fehler " + SignedNumber(error.number) + " " +
         error.description;
}

std::string AppendFailure(const std::string& fileName, const QorError& error) {
  return fileName + "  konnte nicht ge\366ffnet werden.  Fehler " + SignedNumber(error.number) +
         ": " + error.description;
}

std::string ExternalProgramCall(const std::string& command) {
  return "Externer Programmaufruf " + command;
}

std::string ExternalProgramFailure(const std::string& command, int32_t code) {
  return ExternalProgramCall(command) + " Fehler: " + SignedNumber(code);
}

std::string DdeFailureMessage(const QorError& error) {
  return "Fehler bei der DDE-\334bertragung. Fehler " + SignedNumber(error.number) + " " +
         error.description;
}

std::string DdeServerFailure(const std::string& path, const QorError& failure) {
  return "DDE-Anwendung " + path + " " + failure.description;
}
