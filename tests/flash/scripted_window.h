#pragma once
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "platform/flash_window.h"

// A flash window with no chips behind it: loads answer from bytes the test
// places (all ones elsewhere), stores are recorded and change nothing.
namespace talvon::test {

class ScriptedWindow final : public FlashWindow {
 public:
  struct Access {
    int width;  // bytes
    std::uint32_t address;
    std::uint32_t value;
    bool operator==(const Access&) const = default;
  };

  // Places `value` little-endian in `width` bytes at `address`.
  void Put(std::uint32_t address, std::uint32_t value, int width) {
    for (int k = 0; k < width; ++k) bytes_[address + k] = static_cast<std::uint8_t>(value >> (8 * k));
  }

  std::uint8_t Load8(std::uint32_t a) override { return static_cast<std::uint8_t>(Get(a, 1)); }
  std::uint16_t Load16(std::uint32_t a) override { return static_cast<std::uint16_t>(Get(a, 2)); }
  std::uint32_t Load32(std::uint32_t a) override { return Get(a, 4); }
  void Store8(std::uint32_t a, std::uint8_t v) override { stores.push_back({1, a, v}); }
  void Store16(std::uint32_t a, std::uint16_t v) override { stores.push_back({2, a, v}); }
  void Store32(std::uint32_t a, std::uint32_t v) override { stores.push_back({4, a, v}); }
  void CopyOut(std::uint32_t a, void* destination, std::size_t count) override {
    auto* out = static_cast<std::uint8_t*>(destination);
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(Get(a + static_cast<std::uint32_t>(i), 1));
  }

  std::vector<Access> stores;

 private:
  std::uint32_t Get(std::uint32_t address, int width) const {
    std::uint32_t value = 0;
    for (int k = 0; k < width; ++k) {
      auto it = bytes_.find(address + k);
      value |= std::uint32_t{it == bytes_.end() ? std::uint8_t{0xFF} : it->second} << (8 * k);
    }
    return value;
  }
  std::map<std::uint32_t, std::uint8_t> bytes_;
};

}  // namespace talvon::test
