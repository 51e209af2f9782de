#pragma once
// The division of the controller's RAM between storage (the object store)
// and program memory, as the kernel keeps it.
//
// What it models: fixed pages in use on each side (files in storage, running
// programs in program memory), a kernel that refuses to move the boundary
// into either, nor closer to the programs than a reserve of free pages, and
// figures that follow the boundary when it moves: the object store's size
// and free space, and the physical memory the programs see. Not modelled:
// memory use that changes while the utility runs, divisions that wait for a
// reboot (SYSMEM_MUSTREBOOT).

#include <cstdint>

#include "platform/memory_division.h"
#include "sim/controller/hardware_config.h"

namespace talvon::sim {

class SimMemoryDivision final : public MemoryDivision {
 public:
  // `config` as controller.json validates it (storage within the pages,
  // use within each side).
  explicit SimMemoryDivision(const MemoryConfig& config) : config_(config) {}

  bool GetDivision(MemoryDivisionFigures* figures) override;
  // SYSMEM_CHANGED when the division took effect; SYSMEM_FAILED when it
  // would cut into storage in use, into program memory in use plus the
  // reserve, or asks for more pages than there are.
  std::uint32_t SetStorageDivision(std::uint32_t storagePages) override;
  bool GetObjectStore(ObjectStoreFigures* figures) override;
  bool GetPhysicalMemory(PhysicalMemoryFigures* figures) override;

  // The current division and use, in the form controller.json holds them.
  const MemoryConfig& Current() const { return config_; }

 private:
  std::uint32_t ProgramPages() const { return config_.totalPages - config_.storagePages; }
  std::uint32_t PagesFor(std::uint32_t bytes) const {
    if (config_.pageSize == 0) return 0;
    return static_cast<std::uint32_t>((std::uint64_t{bytes} + config_.pageSize - 1) / config_.pageSize);
  }

  MemoryConfig config_;
};

}  // namespace talvon::sim
