#pragma once
// The registry hive kept where the controller keeps it: RegistryFlashArea,
// erased and programmed through the flash driver on the simulated chips.
//
// A flush must never leave the controller without a registry, so the area
// holds two copies, written alternately: copy 0 in its first 256 KiB, copy
// 1 in the next 256 KiB (the last 256 KiB stay blank). A flush erases and
// writes the copy that does not hold the newest registry, and only then
// erases the one it replaces, so a flush cut short at any point leaves the
// newest copy whole and the next boot reads either it or the new one; at
// rest the area holds one copy. Each copy (numbers little-endian):
//
//   offset  size  field
//        0     4  magic "TVRC"
//        4     4  sequence number, one more than the copy it replaces
//        8     4  hive length n
//       12     4  CRC-32 (zlib) over bytes 0..11 followed by the hive
//       16     n  the hive (hive_format.h)
//
// An area that holds a hive at its very start instead (written before there
// were copies, or restored from such a dump) is read as it stands.
#include <optional>
#include <span>

#include "platform/flash_window.h"
#include "sim/registry/hive_storage.h"

namespace talvon::sim {

inline constexpr std::size_t HiveCopyHeaderSize = 16;

class FlashHiveStorage final : public HiveStorage {
 public:
  explicit FlashHiveStorage(FlashWindow& flash) : flash_(flash) {}
  // The newest whole copy's hive; else the area as it stands.
  std::vector<std::uint8_t> Load() override;
  bool Store(const std::vector<std::uint8_t>& image) override;
  std::size_t Capacity() const override;
  std::string Problem() const override { return problem_; }
  std::vector<std::uint8_t> HiveOfArea(std::span<const std::uint8_t> area) const override;

 private:
  FlashWindow& flash_;
  std::string problem_;
};

// Which copy of `area` (the registry area's whole content) holds the newest
// registry, and its sequence number; nothing when neither copy is whole.
struct HiveCopyChoice {
  int copy = 0;
  std::uint32_t sequence = 0;
};
std::optional<HiveCopyChoice> NewestHiveCopy(std::span<const std::uint8_t> area);

}  // namespace talvon::sim
