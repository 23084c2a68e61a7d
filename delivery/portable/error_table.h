// The program's one table of error numbers and German descriptions (Windows-1252).
// Numbers follow the classic runtime numbering (53 file not found, 76 path not
// found, ...); Windows error codes are mapped onto them.
#pragma once

#include <cstdint>
#include <string>

struct QorError {
  int16_t number = 0;
  std::string description;
};

namespace qor_errors {
// Also what a step gets that asked for more than a string or vector can hold:
// the handlers that carry on after running out of memory catch
// std::exception, since that throws std::length_error, not std::bad_alloc.
constexpr int16_t kOutOfMemory = 7;
constexpr int16_t kInternal = 51;
constexpr int16_t kBadFileName = 52;
constexpr int16_t kFileNotFound = 53;
constexpr int16_t kDeviceIo = 57;
constexpr int16_t kFileExists = 58;
constexpr int16_t kDiskFull = 61;
constexpr int16_t kTooManyFiles = 67;
constexpr int16_t kDeviceUnavailable = 68;
constexpr int16_t kPermissionDenied = 70;
constexpr int16_t kDiskNotReady = 71;
constexpr int16_t kPathFileAccess = 75;
constexpr int16_t kPathNotFound = 76;
constexpr int16_t kDllLoad = 48;
constexpr int16_t kDllEntryPoint = 453;
// A window of the program's own that the system refused without saying why.
constexpr int16_t kWindowNotCreated = 361;
// DDE conversations
constexpr int16_t kDdeNoAnswer = 282;   // no application answered the initiate
constexpr int16_t kDdeRefused = 285;    // the application refused the operation
constexpr int16_t kDdeTimeout = 286;    // time-out waiting for the answer
constexpr int16_t kDdeBusy = 288;       // the application answered "busy"
constexpr int16_t kDdeClosed = 292;     // the application ended the conversation
constexpr int16_t kDdeNoChannel = 293;  // operation without an open conversation
constexpr int16_t kDdeLinkTopic = 294;  // the link topic is not "application|topic"
}  // namespace qor_errors

// The error with this number and its description; unknown numbers get a
// generic description that names the number.
QorError ErrorFromNumber(int16_t number);

// The error for a Windows error code (GetLastError); codes without an entry
// map to kInternal with the code in the description.
QorError ErrorFromWin32(uint32_t code);
