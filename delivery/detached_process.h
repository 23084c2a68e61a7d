// Starting a program that runs on by itself: qor.exe never waits for the
// programs it starts and keeps nothing of them.
#pragma once

#include <windows.h>

#include <string>

// Starts `commandLine`, as the program file `applicationName` when that is
// not null, else as the program the command line begins with, shown as
// `showWindow` says; the process and thread handles are closed at once.
// 0 when it started, else the Windows error code.
DWORD StartDetachedProcess(const char* applicationName, const std::string& commandLine,
                           WORD showWindow, DWORD creationFlags);
