#pragma once
#include <cstdint>

namespace talvon {

struct MemoryDivisionFigures {
  std::uint32_t storagePages = 0;
  std::uint32_t programPages = 0;
  std::uint32_t pageSize = 0;  // bytes
};

struct ObjectStoreFigures {
  std::uint32_t totalBytes = 0;
  std::uint32_t freeBytes = 0;
};

struct PhysicalMemoryFigures {
  std::uint32_t totalBytes = 0;
  std::uint32_t availableBytes = 0;
};

// Answers of SetStorageDivision.
inline constexpr std::uint32_t SYSMEM_CHANGED = 0;
inline constexpr std::uint32_t SYSMEM_MUSTREBOOT = 1;
inline constexpr std::uint32_t SYSMEM_REBOOTPENDING = 2;
inline constexpr std::uint32_t SYSMEM_FAILED = 3;

// The division of the controller's RAM between storage (the object store)
// and program memory.
class MemoryDivision {
 public:
  virtual ~MemoryDivision() = default;
  virtual bool GetDivision(MemoryDivisionFigures* figures) = 0;
  // Gives `storagePages` pages to storage, the rest to programs. Answers
  // SYSMEM_CHANGED when it took effect at once; anything else is a refusal.
  virtual std::uint32_t SetStorageDivision(std::uint32_t storagePages) = 0;
  virtual bool GetObjectStore(ObjectStoreFigures* figures) = 0;
  virtual bool GetPhysicalMemory(PhysicalMemoryFigures* figures) = 0;
};

}  // namespace talvon
