#include "error_table.h"

namespace {

struct Entry {
  int16_t number;
  const char* description;
};

// Windows-1252 letters as octal escapes, as in texts.h (the legend is there).
constexpr Entry kEntries[] = {
    {qor_errors::kOutOfMemory, "Nicht gen\374gend Speicher"},
    {qor_errors::kDllLoad, "Fehler beim Laden einer DLL"},
    {qor_errors::kInternal, "Interner Fehler"},
    {qor_errors::kBadFileName, "Dateiname oder -nummer falsch"},
    {qor_errors::kFileNotFound, "Datei nicht gefunden"},
    {qor_errors::kDeviceIo, "Fehler bei Ger\344te-E/A"},
    {qor_errors::kFileExists, "Datei existiert bereits"},
    {qor_errors::kDiskFull, "Datentr\344ger voll"},
    {qor_errors::kTooManyFiles, "Zu viele Dateien"},
    {qor_errors::kDeviceUnavailable, "Ger\344t nicht verf\374gbar"},
    {qor_errors::kPermissionDenied, "Zugriff verweigert"},
    {qor_errors::kDiskNotReady, "Datentr\344ger nicht bereit"},
    {qor_errors::kPathFileAccess, "Fehler beim Zugriff auf Pfad/Datei"},
    {qor_errors::kPathNotFound, "Pfad nicht gefunden"},
    {qor_errors::kDdeNoAnswer,
     "Keine fremde Anwendung hat auf eine DDE-Initialisierung geantwortet"},
    {qor_errors::kDdeRefused, "Fremde Anwendung f\374hrt DDE-Methode oder -Operation nicht aus"},
    {qor_errors::kDdeTimeout, "Zeit\374berschreitung beim Warten auf DDE-Antwort"},
    {qor_errors::kDdeBusy, "Fremde Anwendung ist besch\344ftigt"},
    {qor_errors::kDdeClosed, "DDE-Kanal wurde von der fremden Anwendung geschlossen"},
    {qor_errors::kDdeNoChannel, "DDE-Methode ohne offenen Kanal aufgerufen"},
    {qor_errors::kDdeLinkTopic, "Ung\374ltiges LinkTopic"},
    {qor_errors::kWindowNotCreated, "Fenster kann nicht erstellt werden"},
    {qor_errors::kDllEntryPoint, "DLL-Einsprungpunkt nicht gefunden"},
};

struct Mapping {
  uint32_t win32;
  int16_t number;
};

constexpr Mapping kWin32[] = {
    {2, qor_errors::kFileNotFound},        // ERROR_FILE_NOT_FOUND
    {3, qor_errors::kPathNotFound},        // ERROR_PATH_NOT_FOUND
    {4, qor_errors::kTooManyFiles},        // ERROR_TOO_MANY_OPEN_FILES
    {5, qor_errors::kPathFileAccess},      // ERROR_ACCESS_DENIED
    {6, qor_errors::kBadFileName},         // ERROR_INVALID_HANDLE
    {8, qor_errors::kOutOfMemory},         // ERROR_NOT_ENOUGH_MEMORY
    {14, qor_errors::kOutOfMemory},        // ERROR_OUTOFMEMORY
    {15, qor_errors::kDeviceUnavailable},  // ERROR_INVALID_DRIVE
    {19, qor_errors::kPermissionDenied},   // ERROR_WRITE_PROTECT
    {21, qor_errors::kDiskNotReady},       // ERROR_NOT_READY
    {23, qor_errors::kDeviceIo},           // ERROR_CRC
    {29, qor_errors::kDeviceIo},           // ERROR_WRITE_FAULT
    {30, qor_errors::kDeviceIo},           // ERROR_READ_FAULT
    {31, qor_errors::kDeviceIo},           // ERROR_GEN_FAILURE
    {32, qor_errors::kPermissionDenied},   // ERROR_SHARING_VIOLATION
    {33, qor_errors::kPermissionDenied},   // ERROR_LOCK_VIOLATION
    {39, qor_errors::kDiskFull},           // ERROR_HANDLE_DISK_FULL
    {53, qor_errors::kPathNotFound},       // ERROR_BAD_NETPATH
    {67, qor_errors::kPathNotFound},       // ERROR_BAD_NET_NAME
    {80, qor_errors::kFileExists},         // ERROR_FILE_EXISTS
    {112, qor_errors::kDiskFull},          // ERROR_DISK_FULL
    {123, qor_errors::kBadFileName},       // ERROR_INVALID_NAME
    {126, qor_errors::kDllLoad},           // ERROR_MOD_NOT_FOUND
    {127, qor_errors::kDllEntryPoint},     // ERROR_PROC_NOT_FOUND
    {161, qor_errors::kPathNotFound},      // ERROR_BAD_PATHNAME
    {183, qor_errors::kFileExists},        // ERROR_ALREADY_EXISTS
    {193, qor_errors::kBadFileName},       // ERROR_BAD_EXE_FORMAT
    {206, qor_errors::kBadFileName},       // ERROR_FILENAME_EXCED_RANGE
    {267, qor_errors::kPathFileAccess},    // ERROR_DIRECTORY
    {1450, qor_errors::kOutOfMemory},      // ERROR_NO_SYSTEM_RESOURCES
};

}  // namespace

QorError ErrorFromNumber(int16_t number) {
  for (const Entry& entry : kEntries) {
    if (entry.number == number) return {number, entry.description};
  }
  return {number, "Fehler " + std::to_string(number)};
}

QorError ErrorFromWin32(uint32_t code) {
  for (const Mapping& mapping : kWin32) {
    if (mapping.win32 == code) return ErrorFromNumber(mapping.number);
  }
  return {qor_errors::kInternal,
          "Interner Fehler (Windows-Fehlercode " + std::to_string(code) + ")"};
}
