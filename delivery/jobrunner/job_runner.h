#pragma once

#include <string>

#include "qor_state.h"

// The program's start procedure: trace switch, job file, block loop.
void RunJobFile();

// Reads the whole file into `text`, one char per byte. False after any
// failure, which it traces itself; a file too long for 32-bit positions, or
// one whose length cannot be had in memory, fails as "out of memory". The
// file is closed again before it returns.
bool ReadWholeFile(const std::string& path, JobTextBuffer& text);
