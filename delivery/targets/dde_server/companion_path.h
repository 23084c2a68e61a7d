// LocateCompanionPath: where the companion application lies.
#pragma once

// Replaces the keyword "hulintern" in JobBlock.DdeService by the companion
// application's path. The parser calls it as its CompanionLocator, which
// qor.exe and qorcheck.exe set to it.
void LocateCompanionPath();
