#include "sim/flash_hive_storage.h"

#include "flash/flash_areas.h"
#include "flash/flash_device.h"

namespace talvon::sim {

std::vector<std::uint8_t> FlashHiveStorage::Load() {
  std::vector<std::uint8_t> area(RegistryFlashAreaSize, 0xFF);
  if (!ReadFlashRange(flash_, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize, area.data())) {
    area.assign(RegistryFlashAreaSize, 0xFF);
  }
  return area;
}

bool FlashHiveStorage::Store(const std::vector<std::uint8_t>& image) {
  if (image.size() > RegistryFlashAreaSize) return false;
  if (!EraseFlashRange(flash_, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize)) return false;
  if (image.empty()) return true;
  return ProgramFlashRange(flash_, FlashWindowBase, RegistryFlashArea, static_cast<std::uint32_t>(image.size()),
                           image.data()) == 1;
}

}  // namespace talvon::sim
