// The lookups that take a server's command line apart, made on this machine.
#pragma once

#include "server_command_line.h"

// The files and folders of this machine, as a server's command line is taken
// apart against them: what EnsureDdeServerRunning starts, and what
// qorcheck.exe says it would start.
const ProgramFiles* ThisMachinesFiles();
