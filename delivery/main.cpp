// qor.exe: delivers the blocks of one job file. A GUI program without a main
// window, so no console ever appears.
#include <windows.h>

#include "jobrunner/job_runner.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RunJobFile();
  return 0;
}
