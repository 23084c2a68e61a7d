// EnsureDdeServerRunning: the program that serves a DDE block runs before the
// conversation is opened.
#pragma once

#include <string>

// True when a program runs from `path` or was started from it (and on
// releases without a process scan); false when the block must not be poked.
// A failed start shows the "DDE-Export" box.
bool EnsureDdeServerRunning(const std::string& path);
