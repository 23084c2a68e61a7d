#pragma once

// Lets the console show the Windows-1252 report as it is.
void PrepareConsole();
