// DeliverBlock: what qor.exe plugs into the job loop (job_loop.h).
#pragma once

// Carries out the block in JobBlock by its target.
void DeliverBlock();
