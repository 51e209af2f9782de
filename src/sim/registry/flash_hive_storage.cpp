#include "sim/registry/flash_hive_storage.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "platform/little_endian.h"
#include "sim/flash/flash_config.h"

namespace talvon::sim {
namespace {

constexpr std::uint8_t kCopyMagic[4] = {'T', 'V', 'R', 'C'};
constexpr std::uint8_t kHiveMagic[4] = {'T', 'V', 'R', 'H'};

std::uint32_t CopyCrc(const std::uint8_t* header, const std::uint8_t* hive, std::uint32_t length) {
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, header, 12);
  if (length > 0) crc = crc32(crc, hive, length);
  return static_cast<std::uint32_t>(crc);
}

// The hive length of a whole copy at `copy`, or nothing.
std::optional<std::uint32_t> WholeCopy(std::span<const std::uint8_t> copy) {
  if (copy.size() < HiveCopyHeaderSize || !std::equal(std::begin(kCopyMagic), std::end(kCopyMagic), copy.begin())) {
    return std::nullopt;
  }
  const std::uint32_t length = LoadLe32(&copy[8]);
  if (length > copy.size() - HiveCopyHeaderSize) return std::nullopt;
  if (CopyCrc(copy.data(), copy.data() + HiveCopyHeaderSize, length) != LoadLe32(&copy[12])) return std::nullopt;
  return length;
}

}  // namespace

std::optional<HiveCopyChoice> NewestHiveCopy(std::span<const std::uint8_t> area) {
  std::optional<HiveCopyChoice> newest;
  for (int copy = 0; copy < 2; ++copy) {
    const std::size_t at = std::size_t(copy) * RegistryCopySize;
    if (area.size() < at + RegistryCopySize) break;
    std::span<const std::uint8_t> bytes = area.subspan(at, RegistryCopySize);
    if (!WholeCopy(bytes)) continue;
    const std::uint32_t sequence = LoadLe32(&bytes[4]);
    // Serial-number order, so that the count may wrap.
    if (!newest || static_cast<std::int32_t>(sequence - newest->sequence) > 0) newest = HiveCopyChoice{copy, sequence};
  }
  return newest;
}

std::size_t FlashHiveStorage::Capacity() const { return RegistryCopySize - HiveCopyHeaderSize; }

std::vector<std::uint8_t> FlashHiveStorage::Load() {
  std::vector<std::uint8_t> area(RegistryFlashAreaSize, 0xFF);
  if (!ReadFlashRange(flash_, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize, area.data())) {
    area.assign(RegistryFlashAreaSize, 0xFF);
  }
  return HiveOfArea(area);
}

std::vector<std::uint8_t> FlashHiveStorage::HiveOfArea(std::span<const std::uint8_t> area) const {
  if (std::optional<HiveCopyChoice> newest = NewestHiveCopy(area)) {
    const std::size_t at = std::size_t(newest->copy) * RegistryCopySize;
    const std::uint32_t length = LoadLe32(&area[at + 8]);
    return {area.begin() + at + HiveCopyHeaderSize, area.begin() + at + HiveCopyHeaderSize + length};
  }
  if (area.size() >= 4 && std::equal(std::begin(kHiveMagic), std::end(kHiveMagic), area.begin())) {
    return {area.begin(), area.end()};
  }
  // Neither copy is whole: a blank area reads as blank, anything else as the
  // damaged thing it is.
  if (std::all_of(area.begin(), area.end(), [](std::uint8_t b) { return b == 0xFF; })) return {area.begin(), area.end()};
  return {area.begin(), area.begin() + std::min<std::size_t>(area.size(), RegistryCopySize)};
}

bool FlashHiveStorage::Store(const std::vector<std::uint8_t>& image) {
  problem_.clear();
  // A flush in the middle of other flash work (an OS image half written, a
  // restore under way) would write into flash that is not the registry's yet.
  if (flash_.Work().Busy()) {
    problem_ = "the flash is busy: " + flash_.Work().Doing();
    return false;
  }
  if (image.size() > Capacity()) return false;
  const FlashWorkScope work(flash_.Work(), "Saving the registry");
  if (image.empty()) return EraseFlashRange(flash_, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize) == 1;
  std::vector<std::uint8_t> area(RegistryFlashAreaSize, 0xFF);
  if (!ReadFlashRange(flash_, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize, area.data())) return false;
  // The copy that holds the newest registry is never touched; a hive kept
  // whole at the area's start counts as copy 0.
  int target = 0;
  std::uint32_t sequence = 1;
  if (std::optional<HiveCopyChoice> newest = NewestHiveCopy(area)) {
    target = 1 - newest->copy;
    sequence = newest->sequence + 1;
  } else if (std::equal(std::begin(kHiveMagic), std::end(kHiveMagic), area.begin())) {
    target = 1;
  }
  std::vector<std::uint8_t> copy(HiveCopyHeaderSize + image.size());
  std::memcpy(copy.data(), kCopyMagic, 4);
  StoreLe32(&copy[4], sequence);
  StoreLe32(&copy[8], static_cast<std::uint32_t>(image.size()));
  std::memcpy(copy.data() + HiveCopyHeaderSize, image.data(), image.size());
  StoreLe32(&copy[12], CopyCrc(copy.data(), copy.data() + HiveCopyHeaderSize, static_cast<std::uint32_t>(image.size())));
  const std::uint32_t at = RegistryFlashArea + static_cast<std::uint32_t>(target) * RegistryCopySize;
  if (!EraseFlashRange(flash_, FlashWindowBase, at, RegistryCopySize)) return false;
  if (ProgramFlashRange(flash_, FlashWindowBase, at, static_cast<std::uint32_t>(copy.size()), copy.data()) != 1) {
    return false;
  }
  // The copy replaced goes, so that at rest the area holds one registry: an
  // erase of the whole area cut short (an OS update, a factory reset) can
  // then never bring back an older one.
  const std::size_t other = std::size_t(1 - target) * RegistryCopySize;
  if (std::any_of(area.begin() + other, area.begin() + other + RegistryCopySize, [](std::uint8_t b) { return b != 0xFF; })) {
    EraseFlashRange(flash_, FlashWindowBase, RegistryFlashArea + static_cast<std::uint32_t>(other), RegistryCopySize);
  }
  return true;
}

}  // namespace talvon::sim
