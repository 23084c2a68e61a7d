#include "dde_protocol.h"

#include <cstring>

bool SplitLinkTopic(std::string_view linkTopic, std::string& application, std::string& topic) {
  const size_t bar = linkTopic.find('|');
  if (bar == std::string_view::npos || bar == 0 || bar + 1 == linkTopic.size()) return false;
  application.assign(linkTopic.substr(0, bar));
  topic.assign(linkTopic.substr(bar + 1));
  return true;
}

int16_t AckErrorNumber(uint16_t status) {
  constexpr uint16_t kAck = 0x8000;   // DDEACK.fAck
  constexpr uint16_t kBusy = 0x4000;  // DDEACK.fBusy
  if (status & kAck) return 0;
  return (status & kBusy) ? qor_errors::kDdeBusy : qor_errors::kDdeRefused;
}

uint32_t LinkTimeoutMs(int16_t tenths) {
  return tenths < 0 ? 0 : static_cast<uint32_t>(tenths) * 100u;
}

std::string TextFromValue(const char* value, size_t size) {
  const void* nul = std::memchr(value, '\0', size);
  return std::string(value, nul != nullptr ? static_cast<const char*>(nul) - value : size);
}
