#pragma once
// The registry hive kept where the controller keeps it: RegistryFlashArea,
// erased and programmed through the flash driver on the simulated chips. A
// flush cut short leaves a hive whose check value fails, and the next boot
// falls back to the factory registry.
#include "platform/flash_window.h"
#include "sim/hive_storage.h"

namespace talvon::sim {

class FlashHiveStorage final : public HiveStorage {
 public:
  explicit FlashHiveStorage(FlashWindow& flash) : flash_(flash) {}
  std::vector<std::uint8_t> Load() override;
  bool Store(const std::vector<std::uint8_t>& image) override;

 private:
  FlashWindow& flash_;
};

}  // namespace talvon::sim
