#pragma once
// A registry area kept in a file of exactly 0xC0000 bytes, blank (0xFF)
// where nothing was written. A missing file reads as a blank area. Writes go
// to a temporary file that replaces the old one only when complete, so a
// failed write leaves the previous hive in place.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "sim/registry/hive_storage.h"

namespace talvon::sim {

class FileHiveStorage : public HiveStorage {
 public:
  explicit FileHiveStorage(std::filesystem::path path);

  // A file shorter than the area reads blank past its end; longer, only
  // the area's bytes are read.
  std::vector<std::uint8_t> Load() override;
  bool Store(const std::vector<std::uint8_t>& image) override;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace talvon::sim
