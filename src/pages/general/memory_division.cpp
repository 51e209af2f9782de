#include "pages/general/memory_division.h"

#include <algorithm>

#include "pages/general/general_registry.h"

namespace talvon {
namespace {

std::uint32_t PagesOf(std::uint32_t bytes, std::uint32_t pageSize) { return pageSize == 0 ? 0 : bytes / pageSize; }

// a - b, or 0 when the figures contradict each other.
std::uint32_t Less(std::uint32_t a, std::uint32_t b) { return a > b ? a - b : 0; }

bool Accepted(MemoryDivision& memory, std::int64_t pages) {
  return pages >= 0 && memory.SetStorageDivision(static_cast<std::uint32_t>(pages)) == SYSMEM_CHANGED;
}

}  // namespace

MemoryFigures QueryMemoryFigures(MemoryDivision& memory) {
  MemoryDivisionFigures division;
  ObjectStoreFigures store;
  PhysicalMemoryFigures physical;
  memory.GetDivision(&division);
  memory.GetObjectStore(&store);
  memory.GetPhysicalMemory(&physical);

  MemoryFigures f;
  f.pageSizeBytes = division.pageSize;
  f.pageSizeKb = division.pageSize >> 10;
  f.totalPages = division.storagePages + division.programPages;
  f.storagePages = division.storagePages;
  f.storageInUse = Less(division.storagePages, PagesOf(store.freeBytes, division.pageSize));
  f.programInUse =
      Less(PagesOf(physical.totalBytes, division.pageSize), PagesOf(physical.availableBytes, division.pageSize)) + 1;
  return f;
}

std::int64_t UpperLimitUnits(const MemoryFigures& f) {
  return (std::int64_t{f.totalPages} - f.programInUse - ProgramHeadroomPages) / PagesPerSliderUnit;
}

std::int64_t LowerLimitUnits(const MemoryFigures& f) { return f.storageInUse / PagesPerSliderUnit; }

// Worked out in bytes, so that pages under 1 KB neither divide by zero nor
// lose the margin.
std::int64_t MarginPages(const MemoryFigures& f) {
  return f.pageSizeBytes == 0 ? 0 : std::int64_t{128 * 1024} / f.pageSizeBytes;
}

std::int64_t PagesToKb(const MemoryFigures& f, std::int64_t pages) { return pages * f.pageSizeBytes / 1024; }

int ReleasedPosition(const MemoryFigures& f, int position) {
  // 32 KB of storage above what is in use, in whole slider units (none with 4 KB pages).
  const std::int64_t spare =
      f.pageSizeBytes == 0 ? 0 : std::int64_t{32 * 1024} / (std::int64_t{f.pageSizeBytes} * PagesPerSliderUnit);
  const std::int64_t minimum = LowerLimitUnits(f) + spare;
  const std::int64_t maximum = UpperLimitUnits(f) - MarginPages(f) / PagesPerSliderUnit;
  std::int64_t p = position;
  if (p < minimum) {
    p = minimum;
  } else if (p > maximum) {
    p = maximum;
  }
  return static_cast<int>(p);
}

MemoryDivisionResult ApplyMemoryDivision(const MemoryDivisionRoles& roles, int position, std::uint32_t fallback) {
  MemoryDivision& memory = roles.memory;
  std::int64_t request = std::int64_t{position} * PagesPerSliderUnit;
  const MemoryFigures f = QueryMemoryFigures(memory);
  const std::int64_t margin = MarginPages(f);
  const std::int64_t low = LowerLimitUnits(f) * PagesPerSliderUnit;
  const std::int64_t high = UpperLimitUnits(f) * PagesPerSliderUnit;
  request = std::max<std::int64_t>(std::min(request, high - margin), 0);

  if (Accepted(memory, request)) {
    // The division is in force whatever becomes of the record.
    WriteDwordSetting(roles.registry, general_registry::MemDivision, static_cast<std::uint32_t>(request));
    return {MemoryDivisionResult::Outcome::Applied, static_cast<std::uint32_t>(request)};
  }

  // Nothing below has been accepted yet, so the division of the query still holds.
  const std::uint32_t unchanged = f.storagePages == 0 ? fallback : f.storagePages;
  const std::int64_t first = low + PagesPerSliderUnit;
  const std::int64_t last = high - PagesPerSliderUnit;
  auto within = [&](std::int64_t pages) { return pages >= first && pages <= last; };
  std::int64_t down = request;
  std::int64_t up = request + PagesPerSliderUnit;
  for (;;) {
    down -= PagesPerSliderUnit;
    bool triedDown = false;
    if (within(down)) {
      if (Accepted(memory, down)) {
        // Give the margin back to the programs; when that is refused, `down` stays.
        const std::int64_t eased = down - margin;
        const std::int64_t inForce = Accepted(memory, eased) ? eased : down;
        return {MemoryDivisionResult::Outcome::Searched, static_cast<std::uint32_t>(inForce)};
      }
      triedDown = true;
    }
    if (within(up)) {
      if (Accepted(memory, up)) return {MemoryDivisionResult::Outcome::Searched, static_cast<std::uint32_t>(up)};
    } else if (!triedDown) {
      return {MemoryDivisionResult::Outcome::Searched, unchanged};
    }
    up += PagesPerSliderUnit;
  }
}

}  // namespace talvon
