#pragma once

// The program's start procedure: trace switch, job file, block loop.
void RunJobFile();
