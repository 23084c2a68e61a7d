// Random installation states for CheckMimeType: the registry values and the
// setup.ini it reads, drawn with the lengths, bytes and registry types that
// strain its 256-byte reads, written to the registry and the disk, and what
// the library must make of them, worked out from what was written.
#pragma once

#include <windows.h>

#include <random>
#include <string>
#include <vector>

namespace setup_test {

// One registry value as written: missing, or these bytes under this type.
struct RandomValue {
  bool present = false;
  DWORD type = REG_SZ;
  std::string bytes;
};

struct RandomCase {
  bool appPaths = false;
  RandomValue version;
  RandomValue path;

  bool fileType = false;
  RandomValue className;        // the default value of ".qor"
  std::string classKey;         // class key created, empty for none
  bool commandKey = false;      // classKey\shell\open\command wanted
  bool commandKeyMade = false;  // and made: the ANSI registry calls take no key path
                                // beyond MAX_PATH characters under Wine
  RandomValue command;          // its default value

  bool sourceDirNull = false;
  std::string sourceDir;  // as passed, a trailing backslash included
  std::string iniText;    // the whole setup.ini written into sourceDir
  bool iniWanted = false;
  std::string decoyIni;  // a setup.ini no profile path may reach, empty for none
  int answer = IDNO;     // the answer to a Yes/No box
};

RandomCase DrawCase(std::mt19937& rng, const std::string& baseDir, int number);

// The registry keys the case writes; every case starts from none of them.
// Sets commandKeyMade.
void WriteRegistry(RandomCase& c);
void RemoveRegistry(const RandomCase& c);

// Directories and files a case made on disk, to be removed after the call.
struct MadeFiles {
  std::vector<std::string> directories;  // in the order made
  std::vector<std::string> files;
};
MadeFiles WriteFiles(const RandomCase& c, const std::string& baseDir);
void RemoveFiles(const MadeFiles& made);

// What CheckMimeType takes from a value: the bytes before the first NUL, or
// all of them without one; empty when the value is missing or when its text
// with a terminator does not fit 256 bytes (counted as missing, never cut).
std::string ExpectedText(const RandomValue& value);

// A few lines naming the case, for a failure report.
std::string Describe(const RandomCase& c);

}  // namespace setup_test
