// The German texts of qor.exe: its trace lines and its one message box. The
// descriptions of error numbers are in the error table (error_table.cpp).
//
// Texts are Windows-1252 bytes. Letters beyond ASCII are written, here and in
// the error table, the checker and the setup library alike, as three-digit
// octal escapes; an octal escape never takes more than three digits, so the
// word goes on without a break ("DDE-\334bertragung"):
//   \304 Ä  \326 Ö  \334 Ü  \344 ä  \366 ö  \374 ü  \337 ß
#pragma once

#include <cstdint>
#include <string>

#include "error_table.h"

// Start-up
inline constexpr char kTraceStart[] = "***** QOR Start *****";
std::string ParameterLine(const std::string& argument);
inline constexpr char kArgumentMissing[] =
    "Parameterliste ist leer! Der Aufruf soll lauten: qor.exe Dateiname";
std::string JobFileMissing(const std::string& path);
std::string ReadFailure(const QorError& error);
inline constexpr char kJobNotRead[] = "QOR: Daten konnten nicht gelesen werden";
inline constexpr char kJobEmpty[] = "QOR: Datei ist leer!";

// File target
std::string SaveFailure(const std::string& fileName, const QorError& error);
std::string AppendFailure(const std::string& fileName, const QorError& error);

// External program: the call, and its failure with the Windows error code
std::string ExternalProgramCall(const std::string& command);
std::string ExternalProgramFailure(const std::string& command, int32_t code);

// DDE transfer
inline constexpr char kDdeDataSent[] = "DDE-\334bertragung: Daten gesendet!";
std::string DdeFailureMessage(const QorError& error);

// DDE server application: the message box, whose text is traced as well
inline constexpr char kDdeServerBoxCaption[] = "DDE-Export";
std::string DdeServerFailure(const std::string& path, const QorError& failure);
