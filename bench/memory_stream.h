#pragma once
// A read-only file of the controller held in memory, so a benchmark measures
// the flash work rather than the host's disk.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/files.h"

namespace talvon::bench {

class MemoryStream final : public FileStream {
 public:
  explicit MemoryStream(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    const std::size_t n = std::min(count, bytes_.size() - std::min(bytes_.size(), position_));
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }
  std::size_t Write(const void*, std::size_t) override { return 0; }
  int Seek(std::int64_t offset, int origin) override {
    const std::int64_t base = origin == SEEK_SET   ? 0
                              : origin == SEEK_CUR ? static_cast<std::int64_t>(position_)
                                                   : static_cast<std::int64_t>(bytes_.size());
    if (base + offset < 0) return -1;
    position_ = static_cast<std::size_t>(base + offset);
    return 0;
  }
  std::int64_t Tell() override { return static_cast<std::int64_t>(position_); }
  int Close() override { return 0; }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t position_ = 0;
};

}  // namespace talvon::bench
