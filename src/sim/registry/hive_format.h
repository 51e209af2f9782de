#pragma once
// The persisted registry hive: how the simulated controller keeps its whole
// registry in the 0xC0000-byte registry area.
//
// Layout (all numbers little-endian):
//
//   offset  size  field
//        0     4  magic "TVRH"
//        4     2  format version, 1
//        6     2  reserved, 0
//        8     4  payload length in bytes
//       12     4  CRC-32 (zlib) over bytes 0..11 followed by the payload
//       16     n  payload: the root key record
//
//   key record:
//     u16 name length, name bytes     (the root's name is empty)
//     u32 value count, value records
//     u32 subkey count, key records   (depth first, insertion order)
//   value record:
//     u16 name length, name bytes     (empty: the key's default value)
//     u32 type
//     u32 data length, data bytes
//
// The area after header and payload is not part of the hive; a flush leaves
// it blank (0xFF). The decoder trusts nothing it reads: every length and
// count is checked against the bytes that remain, names against the
// registry's own rules (no duplicates under one key), the key depth against
// the longest key path, and the payload must end exactly where the tree
// does.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "flash/flash_areas.h"
#include "sim/registry/registry_store.h"

namespace talvon::sim {

inline constexpr std::size_t HiveAreaSize = RegistryFlashAreaSize;
inline constexpr std::size_t HiveHeaderSize = 16;
inline constexpr std::uint16_t HiveFormatVersion = 1;

// The hive image of a tree: header and payload, without blank padding. It
// may be larger than HiveAreaSize; the caller decides what to do then.
std::vector<std::uint8_t> EncodeHive(const RegistryStore& store);

enum class HiveStatus {
  Valid,    // the tree was read
  Blank,    // the area is all 0xFF: nothing was ever stored, or it was erased
  Damaged,  // anything else that is not a valid hive
};

struct HiveDecodeResult {
  HiveStatus status = HiveStatus::Damaged;
  std::string error;    // why the area is blank or damaged
  RegistryStore store;  // the tree when status is Valid, else empty
};

// Reads a hive from the start of `area` (the area's whole content, or just
// an image); bytes after the payload are ignored.
HiveDecodeResult DecodeHive(std::span<const std::uint8_t> area);

}  // namespace talvon::sim
