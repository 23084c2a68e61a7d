// The external program of a file block.
#pragma once

// Starts JobBlock.ExternalProgram without waiting for it.
void CallExternalProgram();
