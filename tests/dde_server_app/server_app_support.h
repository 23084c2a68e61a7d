// Support for the tests of the DDE server check: copies of the stand-in
// server, the processes running from them, the "DDE-Export" box answered as a
// person would, the Windows release Wine presents, ZIRARUDAZADER.INI.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace sat {

// The stand-in server built beside the test programs.
std::string TestServerExe();

// Copies the stand-in server to `path`, creating its directories.
bool PlaceServer(const std::string& path);

// Identifiers of the running processes whose executable has the file name of
// `path` (compared ignoring case). Each copy of the server gets a file name of
// its own, so this counts the instances of one copy.
std::vector<DWORD> ProcessesOf(const std::string& path);

// Starts a copy as a person would and waits until it has recorded its start.
bool StartServerDirectly(const std::string& path);

// The start records the copies at `path` wrote, once `count` are there (or
// the time-out passed).
std::vector<std::string> StartRecords(const std::string& path, size_t count,
                                      DWORD timeoutMs = 20000);

// Ends every process running from a copy with the file name of `path`.
void EndServers(const std::string& path);

// A "DDE-Export" box as the watcher found it.
struct SeenBox {
  std::string text;
  bool okButtonOnly = false;
  bool hasIcon = false;
  HICON icon = nullptr;
};

// Answers every "DDE-Export" box with OK after reading it, until stopped.
class BoxWatcher {
 public:
  BoxWatcher();
  ~BoxWatcher();
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;
  // Stops watching and returns the boxes seen, in order.
  std::vector<SeenBox> Stop();

 private:
  void Run();
  std::atomic<bool> stop_{false};
  std::vector<SeenBox> seen_;
  std::thread thread_;
};

// Has Wine present `release` (e.g. "winxp", "win98", "nt40") to programs with
// the file name `exeName` that start from now on, optionally without psapi.dll;
// undone when the object goes.
class PresentedWindows {
 public:
  PresentedWindows(const std::string& exeName, const std::string& release,
                   bool withoutPsapi = false);
  ~PresentedWindows();
  PresentedWindows(const PresentedWindows&) = delete;
  PresentedWindows& operator=(const PresentedWindows&) = delete;
  bool ok() const { return ok_; }

 private:
  std::string key_;
  bool ok_ = false;
};

// ZIRARUDAZADER.INI in the Windows directory, put back as it was afterwards.
class CompanionIni {
 public:
  CompanionIni();
  ~CompanionIni();
  CompanionIni(const CompanionIni&) = delete;
  CompanionIni& operator=(const CompanionIni&) = delete;
  static std::string Path();
  bool Write(const std::string& content) const;
  bool Remove() const;

 private:
  bool existed_ = false;
  std::string saved_;
};

// The file name part of a path.
std::string FileNameOf(const std::string& path);

// `text` with the letter case of every ASCII letter turned round.
std::string SwapCase(std::string text);

}  // namespace sat
