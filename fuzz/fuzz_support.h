// What the fuzz targets share: a file stream over the input's bytes, and a
// check that aborts with a message (so the fuzzer keeps the input).
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>

#include "platform/files.h"

namespace talvon::fuzz {

class MemoryFileStream final : public FileStream {
 public:
  explicit MemoryFileStream(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    const std::size_t n = position_ < bytes_.size() ? std::min(count, bytes_.size() - position_) : 0;
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }
  std::size_t Write(const void*, std::size_t) override { return 0; }
  int Seek(std::int64_t offset, int origin) override {
    const std::int64_t base = origin == SEEK_SET   ? 0
                              : origin == SEEK_CUR ? static_cast<std::int64_t>(position_)
                                                   : static_cast<std::int64_t>(bytes_.size());
    if (offset < -base) return -1;
    position_ = static_cast<std::size_t>(base + offset);
    return 0;
  }
  std::int64_t Tell() override { return static_cast<std::int64_t>(position_); }
  int Close() override { return 0; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

[[noreturn]] inline void Broken(const char* what) {
  std::fprintf(stderr, "fuzz: %s\n", what);
  std::abort();
}

inline void Require(bool holds, const char* what) {
  if (!holds) Broken(what);
}

}  // namespace talvon::fuzz
