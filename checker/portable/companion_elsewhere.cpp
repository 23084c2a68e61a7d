// Where "hulintern" leads, for a checker built away from Windows: there is no
// Windows directory and so no ZIRARUDAZADER.INI to read. The report says so
// in place of the path. Nor are there the files a server's command line is
// taken apart against: the report states the rule instead.
#include "companion_path.h"
#include "program_lookup.h"
#include "qor_state.h"
#include "verdict_texts.h"

void LocateCompanionPath() { JobBlock.DdeService = kCompanionElsewhere; }

const ProgramFiles* ThisMachinesFiles() { return nullptr; }
