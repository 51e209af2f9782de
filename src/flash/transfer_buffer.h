#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace talvon {

// The one 1 MiB buffer through which whole-system data moves between flash
// and files, and through which the update page checks its erase. One run of
// the utility owns exactly one; operations borrow it one at a time, so no
// operation ever needs a buffer the size of the system area.
class TransferBuffer {
 public:
  static constexpr std::size_t Size = 0x100000;

  TransferBuffer() : bytes_(Size) {}
  TransferBuffer(const TransferBuffer&) = delete;
  TransferBuffer& operator=(const TransferBuffer&) = delete;

  std::uint8_t* data() { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  std::span<std::uint8_t> span() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace talvon
