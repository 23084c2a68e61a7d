// The parts of the DDE transfer that need no Windows API: the link topic, the
// answers of the server, time-outs and the values it sends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "error_table.h"

// Splits "application|topic" at its first "|". DDE application names are
// program names and never hold a "|"; a topic may. False when the bar is
// missing or either side is empty: no conversation can be asked for then.
bool SplitLinkTopic(std::string_view linkTopic, std::string& application, std::string& topic);

// The error a WM_DDE_ACK status word stands for: 0 for a positive answer,
// kDdeBusy when the server was busy, kDdeRefused otherwise.
int16_t AckErrorNumber(uint16_t status);

// Milliseconds for a link time-out in tenths of a second; none below zero.
uint32_t LinkTimeoutMs(int16_t tenths);

// The bytes of a CF_TEXT value: up to its first NUL, at most `size` bytes.
std::string TextFromValue(const char* value, size_t size);
