// What a test changes about the system qor.exe runs on, undone when the
// object goes: the Windows release Wine presents, ZIRARUDAZADER.INI.
#pragma once

#include <ostream>
#include <string>

#include "files.h"

namespace e2e {

// A Windows release Wine can present, and the version code qor.exe derives
// for it (0 for the releases it does not know).
struct Release {
  const char* name;
  int code;
};
extern const Release kReleases[8];
inline std::ostream& operator<<(std::ostream& out, const Release& release) {
  return out << release.name;
}
// The release named `name`, or none.
const Release* FindRelease(const std::string& name);

// Has Wine present `release` (e.g. "winxp", "win98", "nt40") to programs with
// the file name `exeName` that start from now on, optionally without psapi.dll.
class PresentedWindows : Uncopyable {
 public:
  PresentedWindows(const std::string& exeName, const std::string& release,
                   bool withoutPsapi = false);
  ~PresentedWindows();
  bool ok() const { return ok_; }

 private:
  std::string key_;
  bool ok_ = false;
};

// ZIRARUDAZADER.INI in the Windows directory, put back as it was afterwards.
class CompanionIni : Uncopyable {
 public:
  CompanionIni();
  ~CompanionIni();
  static std::string Path();
  bool Write(const std::string& content) const;
  bool Remove() const;

 private:
  bool existed_ = false;
  std::string saved_;
};

// The text of an INI file whose section ZIRARUDAZADER holds working_data=`value`.
std::string WorkingDataIni(const std::string& value);

}  // namespace e2e
