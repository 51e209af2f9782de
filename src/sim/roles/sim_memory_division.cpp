#include "sim/roles/sim_memory_division.h"

namespace talvon::sim {
namespace {

std::uint32_t Remaining(std::uint32_t total, std::uint32_t used) { return total > used ? total - used : 0; }

}  // namespace

bool SimMemoryDivision::GetDivision(MemoryDivisionFigures* figures) {
  if (figures == nullptr) return false;
  figures->storagePages = config_.storagePages;
  figures->programPages = ProgramPages();
  figures->pageSize = config_.pageSize;
  return true;
}

std::uint32_t SimMemoryDivision::SetStorageDivision(std::uint32_t storagePages) {
  if (storagePages > config_.totalPages) return SYSMEM_FAILED;
  // A page partly holding files is a page in use.
  if (storagePages < PagesFor(config_.storageUsedBytes)) return SYSMEM_FAILED;
  const std::uint64_t programNeeds = std::uint64_t{PagesFor(config_.programUsedBytes)} + config_.programReservePages;
  if (std::uint64_t{config_.totalPages} - storagePages < programNeeds) return SYSMEM_FAILED;
  config_.storagePages = storagePages;
  return SYSMEM_CHANGED;
}

bool SimMemoryDivision::GetObjectStore(ObjectStoreFigures* figures) {
  if (figures == nullptr) return false;
  figures->totalBytes = config_.storagePages * config_.pageSize;
  figures->freeBytes = Remaining(figures->totalBytes, config_.storageUsedBytes);
  return true;
}

bool SimMemoryDivision::GetPhysicalMemory(PhysicalMemoryFigures* figures) {
  if (figures == nullptr) return false;
  figures->totalBytes = ProgramPages() * config_.pageSize;
  figures->availableBytes = Remaining(figures->totalBytes, config_.programUsedBytes);
  return true;
}

}  // namespace talvon::sim
