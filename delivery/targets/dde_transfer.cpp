// Placeholder until the DDE transfer lands.
#include "targets.h"

void PokeBlockOverDde() {}
