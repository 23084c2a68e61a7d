#pragma once

#include <string>

// Windows side of qorcheck: where "hulintern" leads on this machine.
std::string DescribeCompanionFromIni();
// Lets the console show the Windows-1252 report as it is.
void PrepareConsole();
