// The export of the setup library, as the installer calls it.
#pragma once

#include <cstdint>

extern "C" {

// Before installing: true (1) to go on, false (0) to stop. Arguments 1, 3 and 5
// are ignored. `sourceDir` holds the setup's "setup.ini"; `installDir` (256
// bytes) receives the installed program's directory on an update.
unsigned char __stdcall CheckMimeType(uint32_t, const char* sourceDir, uint32_t, char* installDir,
                                      uint32_t);

using CheckMimeTypeProc = unsigned char(__stdcall*)(uint32_t, const char*, uint32_t, char*,
                                                    uint32_t);
}
