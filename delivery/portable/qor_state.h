// Module-wide state of the delivery program, shared by the job runner and the
// delivery targets. Nothing here needs the Windows API.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// What a block delivers to; the keywords of the job file are in target_table.h.
enum TargetCodes : int16_t { TargetFile = 0, TargetClipboard = 1, TargetDde = 2 };

// The current block: rewritten by the parser block by block, read by delivery.
struct JobBlockRecord {
  std::string HeaderText;
  // The payload where it stands in JobText, which does not change during a
  // run: a large payload is held once, not copied.
  std::string_view DataText;
  TargetCodes TargetCode = TargetFile;
  bool AppendFlag = false;
  std::string TargetFileName;
  std::string DdeService;
  std::string DdeServer;
  std::string DdeTopic;
  std::string DdeItem;
  std::string ExternalProgram;
};

// The whole job file, one char per byte, in one block of memory of exactly its
// length. Not a std::string: in a 32-bit process that holds at most 1 GiB,
// while a job may be up to 2 GiB; and the block is not filled before it is
// read into.
class JobTextBuffer {
 public:
  // Room for exactly `size` bytes, their content undefined; throws
  // std::bad_alloc when that much memory cannot be had.
  char* Resize(size_t size);
  // A copy of `text`, which must not lie in this buffer.
  JobTextBuffer& operator=(std::string_view text);
  void clear() { Resize(0); }

  const char* data() const { return bytes_.get(); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  char operator[](size_t index) const { return bytes_[index]; }
  operator std::string_view() const { return {bytes_.get(), size_}; }

 private:
  std::unique_ptr<char[]> bytes_;
  size_t size_ = 0;
};

extern bool TraceOn;           // set once at start-up from the trace switch file
extern JobTextBuffer JobText;  // the whole job file
extern JobBlockRecord JobBlock;
