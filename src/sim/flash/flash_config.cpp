#include "sim/flash/flash_config.h"

#include <bit>

#include "flash/flash_areas.h"
#include "platform/text.h"
#include "sim/flash/flash_layout.h"

namespace talvon::sim {
namespace {

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

// Times a real chip could state: the table keeps exponents, chips put the
// maximum at most 32 times the typical time, and none takes longer than
// 32 ms to program a word or 32 s to erase a block. A driver's time-outs
// follow from these, so a wild value would make a hung chip hang the
// utility for minutes.
bool ValidTiming(const FlashTiming& t, const std::string& at, std::string* error) {
  struct Pair {
    const char* typicalName;
    std::uint32_t typical;
    const char* maxName;
    std::uint32_t max;
    std::uint32_t most;
    const char* mostText;
  };
  const Pair pairs[] = {
      {"wordProgramUs", t.wordProgramUs, "wordProgramMaxUs", t.wordProgramMaxUs, 32768, "32768 us"},
      {"blockEraseMs", t.blockEraseMs, "blockEraseMaxMs", t.blockEraseMaxMs, 32768, "32768 ms"}};
  for (const Pair& p : pairs) {
    if (!std::has_single_bit(p.typical)) {
      return Fail(error, at + ".timing." + p.typicalName + ": must be a power of two (the CFI table keeps 2^N)");
    }
    if (!std::has_single_bit(p.max) || p.max < p.typical || p.max / p.typical > 32 || p.max > p.most) {
      return Fail(error, at + ".timing." + p.maxName + ": must be a power of two from " + p.typicalName +
                             " to 32 times it, and at most " + p.mostText);
    }
  }
  return true;
}

bool ValidBank(const FlashBankConfig& b, const std::string& at, std::string* error) {
  if (b.commandSet != 1 && b.commandSet != 2) {
    return Fail(error, at + ".commandSet: must be 1 (intel) or 2 (amd)");
  }
  if (b.busWidth != 1 && b.busWidth != 2 && b.busWidth != 4) {
    return Fail(error, at + ".busWidth: must be 1, 2 or 4 bytes");
  }
  if ((b.chips != 1 && b.chips != 2 && b.chips != 4) || b.chips > b.busWidth) {
    return Fail(error, at + ".chips: must be 1, 2 or 4 and at most busWidth");
  }
  if (!std::has_single_bit(b.deviceSize) || b.deviceSize < 256 || b.deviceSize > FlashWindowSize) {
    return Fail(error, at + ".deviceSize: must be a power of two from 256 bytes to 32 MiB");
  }
  if (b.regions.empty() || b.regions.size() > 255) {
    return Fail(error, at + ".regions: must hold 1 to 255 regions");
  }
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < b.regions.size(); ++i) {
    const FlashRegion& r = b.regions[i];
    const std::string ra = at + ".regions[" + std::to_string(i) + "]";
    const bool encodable = r.blockSize == 128 || (r.blockSize % 256 == 0 && r.blockSize / 256 >= 1 &&
                                                  r.blockSize / 256 <= 0xFFFF);
    if (!encodable) return Fail(error, ra + ".blockSize: must be 128 or a multiple of 256 below 16 MiB");
    if (r.blockCount < 1 || r.blockCount > 65536) return Fail(error, ra + ".blocks: must be 1 to 65536");
    total += std::uint64_t{r.blockSize} * r.blockCount;
  }
  if (total != b.deviceSize) {
    return Fail(error, at + ".regions: blocks add up to " + std::to_string(total) + " bytes, deviceSize is " +
                           std::to_string(b.deviceSize));
  }
  if (!b.chipExtraPolls.empty() && b.chipExtraPolls.size() != b.chips) {
    return Fail(error, at + ".chipExtraPolls: must be empty or give one entry per chip");
  }
  return ValidTiming(b.timing, at, error);
}

bool ValidChipRefs(const FlashConfig& config, const std::vector<FlashChipRef>& refs, const std::string& at,
                   std::string* error) {
  for (std::size_t i = 0; i < refs.size(); ++i) {
    const std::string ra = at + "[" + std::to_string(i) + "]";
    if (refs[i].bank >= config.banks.size()) return Fail(error, ra + ".bank: no such bank");
    if (refs[i].chip >= config.banks[refs[i].bank].chips) return Fail(error, ra + ".chip: no such chip in the bank");
  }
  return true;
}

bool ValidFaults(const FlashConfig& config, std::string* error) {
  const FlashFaults& f = config.faults;
  for (std::size_t i = 0; i < f.eraseFailures.size(); ++i) {
    const std::string at = "flash.faults.eraseFailures[" + std::to_string(i) + "]";
    const int bank = FlashBankAt(config, f.eraseFailures[i].address);
    if (bank < 0) return Fail(error, at + ".address: " + HexWord(f.eraseFailures[i].address) + " is not in any bank");
    if (f.eraseFailures[i].chip && *f.eraseFailures[i].chip >= config.banks[bank].chips) {
      return Fail(error, at + ".chip: no such chip in the bank");
    }
  }
  for (std::size_t i = 0; i < f.programFailures.size(); ++i) {
    if (FlashBankAt(config, f.programFailures[i]) < 0) {
      return Fail(error, "flash.faults.programFailures[" + std::to_string(i) + "]: " + HexWord(f.programFailures[i]) +
                             " is not in any bank");
    }
  }
  for (std::size_t i = 0; i < f.stuckBits.size(); ++i) {
    const std::string at = "flash.faults.stuckBits[" + std::to_string(i) + "]";
    if (FlashBankAt(config, f.stuckBits[i].address) < 0) {
      return Fail(error, at + ".address: " + HexWord(f.stuckBits[i].address) + " is not in any bank");
    }
    if (f.stuckBits[i].mask == 0) return Fail(error, at + ".mask: names no bit");
  }
  return ValidChipRefs(config, f.neverReady, "flash.faults.neverReady", error) &&
         ValidChipRefs(config, f.noCfi, "flash.faults.noCfi", error);
}

}  // namespace

FlashConfig DefaultFlashConfig() { return FlashConfig{}; }

std::uint32_t FlashBankSize(const FlashBankConfig& bank) { return bank.chips * bank.deviceSize; }

bool ValidateFlashConfig(const FlashConfig& config, std::string* error) {
  if (config.banks.empty()) return Fail(error, "flash.banks: at least one bank is needed");
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < config.banks.size(); ++i) {
    if (!ValidBank(config.banks[i], "flash.banks[" + std::to_string(i) + "]", error)) return false;
    total += FlashBankSize(config.banks[i]);
  }
  if (total > FlashWindowSize) {
    return Fail(error, "flash.banks: the banks hold " + std::to_string(total) + " bytes, the window only " +
                           std::to_string(FlashWindowSize));
  }
  return ValidFaults(config, error);
}

namespace {

std::string DescribeBank(const FlashBankConfig& b) {
  std::string text = std::to_string(b.chips) + " x " + std::to_string(8 * b.busWidth / b.chips) + "-bit " +
                     CommandSetName(b.commandSet) + " chips of " + FlashSizeText(b.deviceSize) + " with blocks of ";
  for (std::size_t i = 0; i < b.regions.size(); ++i) {
    if (i > 0) text += ", ";
    text += FlashSizeText(b.regions[i].blockSize);
  }
  return text + " on the " + std::to_string(8 * b.busWidth) + "-bit bus";
}

}  // namespace

bool CheckControllerFlashLayout(const FlashConfig& config, std::string* error) {
  struct Edge {
    std::uint32_t address;
    const char* what;
  };
  const Edge edges[] = {{OsImageFlashArea, "where the OS image area starts"},
                        {RegistryFlashArea, "where the registry area starts"},
                        {RegistryFlashArea + RegistryCopySize, "where the registry's second copy starts"}};
  for (const WindowEraseBlock& block : WindowEraseBlocks(config)) {
    for (const Edge& edge : edges) {
      if (block.start < edge.address && block.start + block.size > edge.address) {
        return Fail(error, "flash.banks[" + std::to_string(block.bank) + "]: " + DescribeBank(config.banks[block.bank]) +
                               " erase " + FlashSizeText(block.size) + " at a time; the erase block " +
                               HexWord(static_cast<std::uint32_t>(block.start)) + " to " +
                               HexWord(static_cast<std::uint32_t>(block.start + block.size - 1)) + " crosses " +
                               HexWord(edge.address) + ", " + edge.what +
                               ", so erasing one area would erase part of the other. The controller needs "
                               "erase blocks that line up with 0xBCA80000 and 0xBE940000 (256 KiB or smaller).");
      }
    }
  }
  return true;
}

}  // namespace talvon::sim
