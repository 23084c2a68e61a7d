// Placeholder until the external program call lands.
#include "targets.h"

void CallExternalProgram() {}
