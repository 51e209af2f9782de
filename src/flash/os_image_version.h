#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/flash_window.h"

namespace talvon {

// What the controller looks for at the start of OsImageFlashArea. Offsets are
// from the start of the area, which is where an image's start address lands.
//
//   0x40  4 bytes  ROM signature: the dword 0x43454345, little-endian (bytes
//                  45 43 45 43). The controller boots only when it is there.
//   0x48  4 bytes  version record tag "TVER" (54 56 45 52)
//   0x4C  4 bytes  length N of the version text, little-endian, 1 to 120
//   0x50  N bytes  the version text, UTF-8, no terminator, no control characters
//
// Images built by our own tools carry the version record, so the controller
// can tell which OS it runs. Images from elsewhere may have other bytes at
// 0x48: then there is no version, and the controller reports the version of
// its own configuration.

inline constexpr std::uint32_t OsRomSignatureOffset = 0x40;
inline constexpr std::uint32_t OsRomSignature = 0x43454345;
inline constexpr std::uint32_t OsVersionRecordOffset = 0x48;
inline constexpr char OsVersionTag[] = "TVER";
inline constexpr std::uint32_t OsVersionTextOffset = 0x50;
inline constexpr std::uint32_t OsVersionMaxLength = 120;
// Bytes from the start of the area that hold signature and version record.
inline constexpr std::uint32_t OsImageHeadSize = OsVersionTextOffset + OsVersionMaxLength;

// `head`: bytes from the start of OsImageFlashArea (fewer than needed count as absent).
bool OsAreaHoldsImage(std::span<const std::uint8_t> head);
std::optional<std::string> ReadOsVersion(std::span<const std::uint8_t> head);
// The same, read from the flash window; the chips must be in read-array mode.
bool OsAreaHoldsImage(FlashWindow& flash);
std::optional<std::string> ReadOsVersion(FlashWindow& flash);

// What the controller's boot finds in OS image area. It starts an image
// only when the ROM signature is there; writers put the signature in last,
// so an image whose write was cut short has none.
struct OsAreaFinding {
  bool boots = false;
  std::uint64_t usedBytes = 0;  // bytes of the area that are not 0xFF
  std::string text;             // what was found, for the operator
};
OsAreaFinding InspectOsArea(FlashWindow& flash);

// True for a text the version record can carry.
bool IsValidOsVersion(std::string_view version);
// The head bytes of an image with the ROM signature and, when `version` is
// not empty, its version record; all other bytes up to the end of the record
// are 0. Empty when the version cannot be carried.
std::vector<std::uint8_t> OsImageHead(std::string_view version);

}  // namespace talvon
