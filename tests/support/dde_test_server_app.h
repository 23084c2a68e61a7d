// The parts of qor_dde_test_server that both its modes share: the options,
// the record and the message loop.
#pragma once

#include <windows.h>

#include <climits>
#include <string>

struct Options {
  std::string service;
  std::string topic;
  std::string log;
  bool refuseAdvise = false;
  DWORD adviseDelayMs = 0;
  std::string adviseData;
  bool refusePoke = false;
  bool busyPoke = false;
  DWORD pokeDelayMs = 0;
  unsigned delayedPokes = UINT_MAX;
  bool pokeHang = false;
  bool raw = false;
};

extern Options options;
// Set by every DDE message handled; the loop then records "idle" once the
// queue is empty.
extern bool activity;

void Record(const std::string& line);
// Waits before a poke is answered, as the options say.
void AwaitPokeAnswer();
// GetMessageA after recording "idle" where it is due; false at WM_QUIT.
bool NextMessage(MSG& message);

// The raw mode: serves the service until WM_QUIT; the exit status.
int ServeRaw();
