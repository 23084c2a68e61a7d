// The job loop's call into delivery. Without the Windows API, so that the
// loop builds natively; tests and the checker link stand-ins for it.
#pragma once

// Carries out the block in JobBlock by its target.
void DeliverBlock();
