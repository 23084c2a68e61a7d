// The DDE server application: where the companion application lies, and
// making sure that the program serving a DDE block runs.
#pragma once

#include <cstdint>
#include <string>

// Replaces the keyword "hulintern" in JobBlock.DdeService by the companion
// application's path. Called by the parser, which needs no Windows API: a
// checker built elsewhere links a stand-in.
void LocateCompanionPath();

// True when a program runs from `path` or was started from it (and on
// releases without a process scan); false when the block must not be poked.
// A failed start shows the "DDE-Export" box.
bool EnsureDdeServerRunning(const std::string& path);

// 1 to 3 Windows 95, 98, Me; 4 to 6 NT 4.0, 2000, XP; 0 any other release.
int16_t GetWindowsVersionCode();

// The files and folders of this machine, as a server's command line is taken
// apart against them (server_command_line.h). Null in a checker built away
// from Windows, which has none to look at.
struct ProgramFiles;
const ProgramFiles* ThisMachinesFiles();
