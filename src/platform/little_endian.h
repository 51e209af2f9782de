#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace talvon {

// The controller keeps 32-bit numbers little-endian wherever they are stored
// as bytes: registry DWORDs, BIN image headers, the registry hive and its
// copies in flash. These read and write them whatever the host's order.

constexpr std::uint32_t LoadLe32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

constexpr void StoreLe32(std::uint8_t* bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

constexpr std::array<std::uint8_t, 4> Le32Bytes(std::uint32_t value) {
  std::array<std::uint8_t, 4> bytes{};
  StoreLe32(bytes.data(), value);
  return bytes;
}

inline void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  const std::array<std::uint8_t, 4> bytes = Le32Bytes(value);
  out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace talvon
