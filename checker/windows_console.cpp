#include "windows_console.h"

#include <windows.h>

void PrepareConsole() { SetConsoleOutputCP(1252); }
