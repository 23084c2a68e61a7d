// qor.exe: delivers the blocks of one job file. A GUI program without a main
// window, so no console ever appears.
#include <windows.h>

#include <exception>

#include "jobrunner/job_runner.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    RunJobFile();
  } catch (const std::exception&) {
    // Out of memory before the block loop (the job loop handles its own): the
    // run ends as after any failure of start-up.
  }
  return 0;
}
