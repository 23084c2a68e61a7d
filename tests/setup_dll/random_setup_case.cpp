#include "random_setup_case.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "registry_state.h"
#include "setup_texts.h"

namespace setup_test {

namespace {

constexpr char kCommandTail[] = "\\shell\\open\\command";
constexpr char kNameChars[] = "abcdefghijklmnopqrstuvwxyz0123456789_-";

int Percent(std::mt19937& rng) { return std::uniform_int_distribution<int>(0, 99)(rng); }

size_t Between(std::mt19937& rng, size_t low, size_t high) {
  return std::uniform_int_distribution<size_t>(low, high)(rng);
}

template <typename T, size_t N>
T OneOf(std::mt19937& rng, const T (&choices)[N]) {
  return choices[Between(rng, 0, N - 1)];
}

// Lengths around the 256-byte capacity come up often, and some far beyond it.
size_t DrawLength(std::mt19937& rng) {
  static const size_t kEdges[] = {0, 1, 2, 254, 255, 256, 257, 259, 260, 4096};
  const int p = Percent(rng);
  if (p < 40) return OneOf(rng, kEdges);
  if (p < 75) return Between(rng, 1, 40);
  if (p < 90) return Between(rng, 41, 600);
  return Between(rng, 601, 5000);
}

std::string DrawBytes(std::mt19937& rng, size_t length, bool anyByte) {
  std::string bytes(length, '\0');
  for (char& b : bytes) {
    b = static_cast<char>(anyByte ? Between(rng, 1, 255) : Between(rng, 0x20, 0x7E));
  }
  return bytes;
}

std::string DrawName(std::mt19937& rng, size_t length) {
  std::string name(length, '\0');
  for (char& c : name) c = kNameChars[Between(rng, 0, sizeof kNameChars - 2)];
  return name;
}

std::string DrawVersion(std::mt19937& rng) {
  static const char* const kKnown[] = {"2.9", "2.10", "2.1", "2.1.5", "2.1 ", "3.0", "1.0.0"};
  if (Percent(rng) < 40) return OneOf(rng, kKnown);
  std::string version;
  for (size_t n = Between(rng, 1, 8); n > 0; --n) {
    version += Percent(rng) < 25 ? '.' : static_cast<char>('0' + Between(rng, 0, 9));
  }
  return version;
}

DWORD DrawType(std::mt19937& rng) {
  // The last is a type no one defined: the registry stores it all the same.
  static const DWORD kTypes[] = {
      REG_SZ,   REG_SZ,   REG_SZ,    REG_EXPAND_SZ,        REG_MULTI_SZ,      REG_BINARY, REG_DWORD,
      REG_NONE, REG_LINK, REG_QWORD, REG_DWORD_BIG_ENDIAN, REG_RESOURCE_LIST, 0x12345};
  return OneOf(rng, kTypes);
}

// A value of any type that often holds `usual` and otherwise anything: any
// length, any byte, sometimes NULs inside, sometimes no terminator.
RandomValue DrawValue(std::mt19937& rng, const std::string& usual, int usualPercent = 35) {
  RandomValue value;
  value.present = Percent(rng) < 85;
  if (!value.present) return value;
  value.type = DrawType(rng);
  if (Percent(rng) < usualPercent) {
    value.bytes = usual;
  } else {
    value.bytes = DrawBytes(rng, DrawLength(rng), Percent(rng) < 60);
    if (!value.bytes.empty() && Percent(rng) < 15) {
      for (size_t n = Between(rng, 1, 3); n > 0; --n) {
        value.bytes[Between(rng, 0, value.bytes.size() - 1)] = '\0';
      }
    }
  }
  if (value.type == REG_DWORD && Percent(rng) < 20) value.bytes.resize(4, '\x01');
  if (Percent(rng) < 65) value.bytes.push_back('\0');
  return value;
}

// A directory path of exactly `length` characters below `dir`, made of name
// components of up to 61 characters.
std::string DrawDirectory(std::mt19937& rng, std::string dir, size_t length) {
  while (dir.size() + 1 < length) {
    const size_t room = length - dir.size() - 1;
    size_t part = room <= 60 ? room : Between(rng, 1, 60);
    if (room - part == 1) ++part;  // never leave room for a backslash alone
    dir += "\\" + DrawName(rng, part);
  }
  return dir;
}

// A ProductVersion line's value: no CR or LF, which would end the line.
std::string DrawProductVersion(std::mt19937& rng) {
  if (Percent(rng) < 40) return DrawVersion(rng);
  std::string value = DrawBytes(rng, DrawLength(rng), Percent(rng) < 60);
  for (char& b : value) {
    if (b == '\r' || b == '\n') b = '.';
  }
  return value;
}

void DrawSourceDir(std::mt19937& rng, const std::string& base, int number, RandomCase& c) {
  const std::string start = base + "\\c" + std::to_string(number);
  const int p = Percent(rng);
  if (p < 3) {
    c.sourceDirNull = true;
    return;
  }
  if (p < 60) {
    c.sourceDir = DrawDirectory(rng, start, start.size() + Between(rng, 0, 120));
  } else if (p < 88) {
    // Around the longest profile path (259 characters) and beyond it.
    static const size_t kLengths[] = {240, 244, 245, 246, 247, 248, 249, 250,
                                      251, 252, 255, 256, 259, 260, 261, 300};
    c.sourceDir = DrawDirectory(rng, start, OneOf(rng, kLengths));
  } else {
    // A directory beyond the longest profile path whose first 255 or 259
    // characters name a setup.ini: a cut profile path would read it.
    static const size_t kCuts[] = {255, 259};
    const std::string decoyDir = DrawDirectory(rng, start, OneOf(rng, kCuts) - 10);
    c.decoyIni = decoyDir + "\\setup.ini";
    c.sourceDir = DrawDirectory(rng, c.decoyIni, Between(rng, 270, 400));
    c.appPaths = true;
    c.version.present = true;
    c.version.bytes = DrawVersion(rng) + '\0';
  }
  if (Percent(rng) < 25) c.sourceDir += "\\";
}

void SetValue(HKEY root, const std::string& key, const char* name, const RandomValue& value) {
  if (value.present) SetValueBytes(root, key, name, value.type, value.bytes);
}

bool WriteIni(const std::string& path, const std::string& text) {
  std::ofstream ini(path, std::ios::binary);
  ini << text;
  ini.close();
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Preview(const RandomValue& value) {
  if (!value.present) return "missing";
  char head[64];
  std::snprintf(head, sizeof head, "type %lu, %zu bytes:", static_cast<unsigned long>(value.type),
                value.bytes.size());
  std::string text = head;
  for (size_t i = 0; i < value.bytes.size() && i < 24; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(value.bytes[i]));
    text += hex;
  }
  return text + (value.bytes.size() > 24 ? " ..." : "");
}

}  // namespace

RandomCase DrawCase(std::mt19937& rng, const std::string& baseDir, int number) {
  RandomCase c;
  c.answer = Percent(rng) < 50 ? IDYES : IDNO;
  DrawSourceDir(rng, baseDir, number, c);
  if (c.decoyIni.empty()) {
    c.appPaths = Percent(rng) < 50;
    c.version = DrawValue(rng, DrawVersion(rng));
  }
  c.path = DrawValue(rng, "C:\\" + DrawName(rng, std::max<size_t>(DrawLength(rng), 3) - 3));

  c.fileType = Percent(rng) < 70;
  std::string classText = kRandomClass;
  if (Percent(rng) < 30) {
    static const size_t kClassLengths[] = {40, 200, 240, 241, 242, 253, 254, 255};
    classText = "QorTest.Rnd" + DrawName(rng, OneOf(rng, kClassLengths) - 11);
  }
  c.className = DrawValue(rng, classText, 60);
  const int classShape = Percent(rng);
  if (classShape < 75) {
    c.classKey = classText;
    c.commandKey = classShape < 60;
    c.command = DrawValue(rng, "\"C:\\Other\\other.exe\" \"%1\"");
  }

  c.iniWanted = Percent(rng) < 85;
  const int ini = Percent(rng);
  if (ini < 80) {
    c.iniText = "[Startup]\r\nProductVersion=" + DrawProductVersion(rng) + "\r\n";
  } else if (ini < 90) {
    c.iniText = "[Startup]\r\nProductVersion=\r\n";
  } else if (ini < 95) {
    c.iniText = "[Startup]\r\nOther=0\r\n";
  } else {
    c.iniText = "[Other]\r\nProductVersion=0\r\n";
  }
  return c;
}

void WriteRegistry(RandomCase& c) {
  RemoveRegistry(c);
  if (c.appPaths) {
    CreateKey(HKEY_LOCAL_MACHINE, kAppPaths);
    SetValue(HKEY_LOCAL_MACHINE, kAppPaths, "Version", c.version);
    SetValue(HKEY_LOCAL_MACHINE, kAppPaths, "Path", c.path);
  }
  if (c.fileType) {
    CreateKey(HKEY_CLASSES_ROOT, kFileType);
    SetValue(HKEY_CLASSES_ROOT, kFileType, nullptr, c.className);
  }
  if (!c.classKey.empty()) {
    CreateKey(HKEY_CLASSES_ROOT, c.classKey);
    c.commandKeyMade = false;
    if (c.commandKey) {
      const std::string command = c.classKey + kCommandTail;
      try {
        CreateKey(HKEY_CLASSES_ROOT, command);
      } catch (const std::runtime_error&) {
        return;
      }
      c.commandKeyMade = true;
      SetValue(HKEY_CLASSES_ROOT, command, nullptr, c.command);
    }
  }
}

void RemoveRegistry(const RandomCase& c) {
  DeleteKey(HKEY_LOCAL_MACHINE, kAppPaths);
  DeleteKey(HKEY_CLASSES_ROOT, kFileType);
  DeleteKey(HKEY_CLASSES_ROOT, kRandomClass);
  if (!c.classKey.empty()) DeleteKey(HKEY_CLASSES_ROOT, c.classKey);
}

MadeFiles WriteFiles(const RandomCase& c, const std::string& baseDir) {
  MadeFiles made;
  // Directories as far as the file system takes them: the case's own, or
  // the one holding the decoy.
  std::string dir = c.decoyIni.empty() ? c.sourceDir : c.decoyIni.substr(0, c.decoyIni.size() - 10);
  while (!dir.empty() && dir.back() == '\\') dir.pop_back();
  if (c.sourceDirNull || dir.compare(0, baseDir.size(), baseDir) != 0) return made;
  for (size_t end = dir.find('\\', baseDir.size() + 1);; end = dir.find('\\', end + 1)) {
    const std::string part = dir.substr(0, end);
    if (!CreateDirectoryA(part.c_str(), nullptr)) break;
    made.directories.push_back(part);
    if (end == std::string::npos) break;
  }
  const bool dirMade = !made.directories.empty() && made.directories.back() == dir;
  if (!c.decoyIni.empty()) {
    if (dirMade && WriteIni(c.decoyIni, "[Startup]\r\nProductVersion=\x01\r\n")) {
      made.files.push_back(c.decoyIni);
    }
  } else if (c.iniWanted && dirMade && dir.size() + 10 < MAX_PATH) {
    const std::string ini = dir + "\\setup.ini";
    if (WriteIni(ini, c.iniText)) made.files.push_back(ini);
  }
  return made;
}

void RemoveFiles(const MadeFiles& made) {
  for (const std::string& file : made.files) DeleteFileA(file.c_str());
  for (auto dir = made.directories.rbegin(); dir != made.directories.rend(); ++dir) {
    RemoveDirectoryA(dir->c_str());
  }
}

std::string ExpectedText(const RandomValue& value) {
  if (!value.present || value.bytes.size() > 256) return {};
  const std::string text = value.bytes.substr(0, value.bytes.find('\0'));
  return text.size() < 256 ? text : std::string();
}

std::string Describe(const RandomCase& c) {
  std::string text = "App Paths: ";
  text += c.appPaths ? "present\n  Version " + Preview(c.version) + "\n  Path " + Preview(c.path)
                     : std::string("absent");
  text += "\n.qor: ";
  text += c.fileType ? "present, default " + Preview(c.className) : std::string("absent");
  text += "\nclass key: " + (c.classKey.empty() ? std::string("none") : c.classKey);
  if (c.commandKey) {
    text += c.commandKeyMade ? "\n  command default " + Preview(c.command)
                             : std::string("\n  command key could not be made");
  }
  text += "\nSourceDir: " +
          (c.sourceDirNull ? std::string("null")
                           : c.sourceDir + " (" + std::to_string(c.sourceDir.size()) + " chars)");
  text += "\nsetup.ini: " +
          (c.iniWanted ? std::to_string(c.iniText.size()) + " bytes" : std::string("none"));
  if (!c.decoyIni.empty()) text += "\ndecoy: " + c.decoyIni;
  text += c.answer == IDYES ? "\nanswer Yes" : "\nanswer No";
  return text;
}

}  // namespace setup_test
