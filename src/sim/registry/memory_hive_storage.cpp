#include "sim/registry/memory_hive_storage.h"

#include <algorithm>

#include "sim/registry/hive_format.h"

namespace talvon::sim {

MemoryHiveStorage::MemoryHiveStorage() : area_(HiveAreaSize, 0xFF) {}

std::vector<std::uint8_t> MemoryHiveStorage::Load() { return area_; }

bool MemoryHiveStorage::Store(const std::vector<std::uint8_t>& image) {
  if (storeFails_ || image.size() > HiveAreaSize) return false;
  std::copy(image.begin(), image.end(), area_.begin());
  std::fill(area_.begin() + static_cast<std::ptrdiff_t>(image.size()), area_.end(), std::uint8_t{0xFF});
  ++storeCount_;
  return true;
}

}  // namespace talvon::sim
