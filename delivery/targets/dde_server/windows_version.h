// GetWindowsVersionCode: which Windows release runs, for the process scan.
#pragma once

#include <cstdint>

// 1 to 3 Windows 95, 98, Me; 4 to 6 NT 4.0, 2000, XP; 0 any other release.
int16_t GetWindowsVersionCode();
