// LocateCompanionPath: where the companion application lies.
#pragma once

// Replaces the keyword "hulintern" in JobBlock.DdeService by the companion
// application's path. Called by the parser, which needs no Windows API: a
// checker built elsewhere links a stand-in.
void LocateCompanionPath();
