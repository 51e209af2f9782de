#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace talvon::sim {

// Where the persisted registry hive lives: a 0xC0000-byte area. On the
// controller this is the registry area of flash; tests may keep it in memory.
class HiveStorage {
 public:
  virtual ~HiveStorage() = default;
  // The area's whole content (blank areas read as 0xFF bytes).
  virtual std::vector<std::uint8_t> Load() = 0;
  // Replaces the area's content with `image` (at most the area's size),
  // the rest left blank. false when the area could not be written.
  virtual bool Store(const std::vector<std::uint8_t>& image) = 0;
  // The largest image Store takes.
  virtual std::size_t Capacity() const { return 0xC0000; }
  // Why the last Store failed, when the storage can tell.
  virtual std::string Problem() const { return {}; }
  // What Load would give if the area held `area` (its whole content): the
  // bytes a boot decodes as the hive.
  virtual std::vector<std::uint8_t> HiveOfArea(std::span<const std::uint8_t> area) const {
    return {area.begin(), area.end()};
  }
};

}  // namespace talvon::sim
