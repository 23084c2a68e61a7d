#pragma once

#include <string>

// The program's start procedure: trace switch, job file, block loop.
void RunJobFile();

// Reads the whole file into `text`, one char per byte. False after any
// failure, which it traces itself.
bool ReadWholeFile(const std::string& path, std::string& text);
