#pragma once
// A registry area kept in memory, for tests and for controllers that need
// no persistence. It can be told to refuse writes, to model a failing area.
#include <cstdint>
#include <vector>

#include "sim/registry/hive_storage.h"

namespace talvon::sim {

class MemoryHiveStorage : public HiveStorage {
 public:
  MemoryHiveStorage();

  std::vector<std::uint8_t> Load() override;
  // Refused (false, content unchanged) when the image is larger than the
  // area or writes are set to fail.
  bool Store(const std::vector<std::uint8_t>& image) override;

  void SetStoreFails(bool fails) { storeFails_ = fails; }
  std::vector<std::uint8_t>& Area() { return area_; }  // for tests that damage it
  int StoreCount() const { return storeCount_; }

 private:
  std::vector<std::uint8_t> area_;
  bool storeFails_ = false;
  int storeCount_ = 0;
};

}  // namespace talvon::sim
