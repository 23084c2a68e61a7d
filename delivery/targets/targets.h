// Procedures of the delivery targets that the dispatcher and tests call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// File target: write or append the first `count` chars of `payload`; the
// result is an error number, 0 on success. A failed save leaves the old file
// as it was, a failed append cuts the file back; either writes its trace line.
int16_t SaveToFile(const std::string& fileName, std::string_view payload, int32_t count);
int16_t AppendToFile(const std::string& fileName, std::string_view payload, int32_t count);
bool CreateMissingDirectories(const std::string& path);
int32_t GetFileLength(const std::string& fileName);

// Starts JobBlock.ExternalProgram without waiting for it.
void CallExternalProgram();

// Clipboard target: JobBlock.DataText as CF_TEXT.
void PutBlockOnClipboard();

// DDE target: the conversation through Form1's txtEXport.
void PokeBlockOverDde();

// DDE server application.
bool EnsureDdeServerRunning(const std::string& path);
int16_t GetWindowsVersionCode();
std::string AddTrailingBackslash(std::string& path);
