#pragma once
#include <cstdint>

#include "platform/memory_division.h"
#include "platform/registry.h"

namespace talvon {

// The division of RAM as the page shows it. Pages are platform memory pages;
// one unit of the memory slider is 16 pages.
struct MemoryFigures {
  std::uint32_t pageSizeKb = 0;
  std::uint32_t pageSizeBytes = 0;
  std::uint32_t totalPages = 0;
  std::uint32_t storagePages = 0;
  std::uint32_t storageInUse = 0;
  std::uint32_t programInUse = 0;  // counts one page more than the figures give
};

inline constexpr int PagesPerSliderUnit = 16;
// Pages beyond those in use that always stay with the program memory.
inline constexpr std::int64_t ProgramHeadroomPages = 48;

MemoryFigures QueryMemoryFigures(MemoryDivision& memory);

// Slider units up to which storage may grow: (total - program in use - 48) / 16.
// Signed: with programs filling nearly everything it is below zero, never a
// huge number.
std::int64_t UpperLimitUnits(const MemoryFigures& figures);
// Slider units of storage in use.
std::int64_t LowerLimitUnits(const MemoryFigures& figures);
// Pages in 128 KB (32 with 4 KB pages); 0 when the page size is unknown.
std::int64_t MarginPages(const MemoryFigures& figures);
// Kilobytes of a number of pages, for the "%dKB" labels.
std::int64_t PagesToKb(const MemoryFigures& figures, std::int64_t pages);

// Where a thumb released at `position` comes to rest: not below storage in
// use, not above the upper limit less the margin.
int ReleasedPosition(const MemoryFigures& figures, int position);

struct MemoryDivisionResult {
  enum class Outcome {
    Applied,   // the request took effect at once and "MemDivision" holds it
    Searched,  // the request was refused; `storagePages` is what is now in force
  };
  Outcome outcome = Outcome::Applied;
  std::uint32_t storagePages = 0;
};

struct MemoryDivisionRoles {
  MemoryDivision& memory;
  Registry& registry;
};

// Asks for the storage of slider position `position` (kept below the upper
// limit less the margin). When that is refused, searches outward from it in
// steps of 16 pages, down before up, within the stretch the figures allow;
// an accepted downward candidate is followed by a request for the margin
// less. `fallback` is what the search ends on when nothing is accepted and
// no downward candidate was left to try.
MemoryDivisionResult ApplyMemoryDivision(const MemoryDivisionRoles& roles, int position, std::uint32_t fallback);

}  // namespace talvon
