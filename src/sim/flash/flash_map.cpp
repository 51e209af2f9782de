#include "sim/flash/flash_map.h"

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "flash/flash_areas.h"
#include "platform/text.h"
#include "sim/flash/flash_layout.h"

namespace talvon::sim {
namespace {

struct Area {
  const char* name;
  std::uint64_t start;
  std::uint64_t end;
};

constexpr Area kAreas[] = {
    {"boot area", FlashWindowBase, OsImageFlashArea},
    {"OS image area", OsImageFlashArea, RegistryFlashArea},
    {"registry area", RegistryFlashArea, std::uint64_t{FlashWindowBase} + FlashWindowSize},
};

std::string Hex(std::uint64_t value) { return FormatText("0x%08llX", static_cast<unsigned long long>(value)); }

// "2 blocks of 256 KiB" or "1 block of 16 KiB, 2 blocks of 8 KiB, ..." in address order.
std::string DescribeBlocks(const std::vector<WindowEraseBlock>& blocks, const Area& area) {
  std::string text;
  std::uint64_t runSize = 0;
  std::uint32_t runCount = 0;
  auto flush = [&] {
    if (runCount == 0) return;
    if (!text.empty()) text += ", ";
    text += std::to_string(runCount) + (runCount == 1 ? " block of " : " blocks of ") + FlashSizeText(runSize);
  };
  for (const WindowEraseBlock& b : blocks) {
    if (b.start + b.size <= area.start || b.start >= area.end) continue;
    if (b.size != runSize) {
      flush();
      runSize = b.size;
      runCount = 0;
    }
    ++runCount;
  }
  flush();
  return text.empty() ? "no flash" : text;
}

}  // namespace

void PrintFlashMap(const FlashConfig& flash, std::ostream& out) {
  const std::vector<WindowEraseBlock> blocks = WindowEraseBlocks(flash);
  out << "flash map\n";
  for (const Area& area : kAreas) {
    char line[160];
    std::snprintf(line, sizeof line, "  %s  %-14s %9s  ", Hex(area.start).c_str(), area.name,
                  FlashSizeText(area.end - area.start).c_str());
    out << line << DescribeBlocks(blocks, area) << '\n';
  }
  out << "  " << Hex(std::uint64_t{FlashWindowBase} + FlashWindowSize) << "  end of the window\n";

  for (std::size_t i = 0; i < flash.banks.size(); ++i) {
    const FlashBankConfig& bank = flash.banks[i];
    const std::uint64_t base = FlashBankStart(flash, i);
    const std::uint64_t size = std::uint64_t{bank.chips} * bank.deviceSize;
    // Banks and chips count from 0, as controller.json and talvon-sim fault number them.
    const std::string chips = bank.chips == 1 ? "chip 0" : "chips 0 to " + std::to_string(bank.chips - 1);
    out << "  bank " << i << "      " << Hex(base) << " to " << Hex(base + size) << ": " << bank.chips << " x "
        << CommandSetName(bank.commandSet) << " chip of " << FlashSizeText(bank.deviceSize) << " (" << chips << ") on a "
        << bank.busWidth * 8 << "-bit bus, blocks";
    for (const FlashRegion& region : bank.regions) {
      out << ' ' << region.blockCount << " x " << FlashSizeText(std::uint64_t{bank.chips} * region.blockSize);
    }
    out << '\n';
  }

  // What would go wrong with this layout, seen at a glance.
  const std::uint64_t windowEnd = std::uint64_t{FlashWindowBase} + FlashWindowSize;
  const std::uint64_t flashEnd = FlashBankStart(flash, flash.banks.size());
  if (flashEnd < windowEnd) out << "  problem: no flash from " << Hex(flashEnd) << " to the end of the window\n";
  for (const WindowEraseBlock& b : blocks) {
    for (std::size_t a = 1; a < std::size(kAreas); ++a) {
      const std::uint64_t boundary = kAreas[a].start;
      if (b.start < boundary && b.start + b.size > boundary) {
        out << "  problem: the " << FlashSizeText(b.size) << " block at " << Hex(b.start) << " reaches from the "
            << kAreas[a - 1].name << " into the " << kAreas[a].name << '\n';
      }
    }
  }
}

}  // namespace talvon::sim
