#pragma once

#include <string>

// The argument text of this process: its whole command line after the
// program's own name (see ArgumentText). qor.exe takes its job file's path
// from it, and qorcheck.exe reads its argument the same way.
std::string ProcessArgumentText();
