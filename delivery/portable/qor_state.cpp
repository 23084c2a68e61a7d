#include "qor_state.h"

#include <cstring>

bool TraceOn = false;
JobTextBuffer JobText;
JobBlockRecord JobBlock;

char* JobTextBuffer::Resize(size_t size) {
  bytes_.reset();  // the old text goes first, so that both need not fit at once
  size_ = 0;
  if (size > 0) {
    bytes_.reset(new char[size]);
    size_ = size;
  }
  return bytes_.get();
}

JobTextBuffer& JobTextBuffer::operator=(std::string_view text) {
  char* bytes = Resize(text.size());
  if (!text.empty()) std::memcpy(bytes, text.data(), text.size());
  return *this;
}
