// Placeholder until the clipboard target lands.
#include "targets.h"

void PutBlockOnClipboard() {}
