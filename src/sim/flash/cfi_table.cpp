#include "sim/flash/cfi_table.h"

#include <bit>

namespace talvon::sim {
namespace {

std::uint8_t Log2(std::uint32_t powerOfTwo) { return static_cast<std::uint8_t>(std::countr_zero(powerOfTwo)); }

// Intel/Sharp extended table, version 1.1.
void IntelVendorTable(std::vector<std::uint8_t>& t, std::size_t at) {
  const std::uint8_t pri[] = {'P', 'R', 'I', '1', '1',
                              0x0A, 0x00, 0x00, 0x00,  // erase suspend, lock bits
                              0x01,                    // program after suspend
                              0x01, 0x00,              // block lock status
                              0x33, 0x00};             // Vcc and Vpp optimum
  for (std::size_t i = 0; i < sizeof pri; ++i) t[at + i] = pri[i];
}

// AMD/Fujitsu standard table, version 1.1, with the boot-block flag.
void AmdVendorTable(std::vector<std::uint8_t>& t, std::size_t at, const FlashBankConfig& bank) {
  std::uint8_t boot = 0;  // uniform blocks
  if (bank.regions.size() > 1) {
    boot = bank.regions.front().blockSize < bank.regions.back().blockSize ? 2 : 3;  // bottom : top
  }
  const std::uint8_t pri[] = {'P', 'R', 'I', '1', '1',
                              0x00,  // address-sensitive unlock required
                              0x02,  // erase suspend: read and write
                              0x01,  // sector protection
                              0x01,  // temporary unprotect
                              0x04,  // protection scheme
                              0x00,  // no simultaneous operation
                              0x00,  // no burst mode
                              0x00,  // no page mode
                              0x00, 0x00,  // no acceleration supply
                              boot};
  for (std::size_t i = 0; i < sizeof pri; ++i) t[at + i] = pri[i];
}

}  // namespace

std::uint8_t FlashMakerCode(std::uint32_t commandSet) { return commandSet == 1 ? 0x89 : 0x01; }

std::uint8_t FlashDeviceCode(const FlashBankConfig& bank) {
  // Codes in the style of the families: StrataFlash 0x16-0x18 by size, AMD
  // boot-block parts 0x49 (bottom) / 0xC4 (top), uniform 0x7E.
  if (bank.commandSet == 1) {
    const std::uint8_t log2 = Log2(bank.deviceSize);
    return static_cast<std::uint8_t>(0x10 + (log2 > 16 ? log2 - 16 : 0));
  }
  if (bank.regions.size() > 1) return bank.regions.front().blockSize < bank.regions.back().blockSize ? 0x49 : 0xC4;
  return 0x7E;
}

std::vector<std::uint8_t> BuildCfiTable(const FlashBankConfig& bank) {
  const bool intel = bank.commandSet == 1;
  const std::size_t regions = bank.regions.size();
  const std::size_t pri = 0x2D + 4 * regions;
  std::vector<std::uint8_t> t(pri + 16, 0);
  t[0x00] = FlashMakerCode(bank.commandSet);
  t[0x01] = FlashDeviceCode(bank);
  t[0x10] = 'Q';
  t[0x11] = 'R';
  t[0x12] = 'Y';
  t[0x13] = static_cast<std::uint8_t>(bank.commandSet);
  t[0x15] = static_cast<std::uint8_t>(pri & 0xFF);
  t[0x16] = static_cast<std::uint8_t>(pri >> 8);
  t[0x1B] = 0x27;  // Vcc 2.7 V to 3.6 V, no Vpp
  t[0x1C] = 0x36;
  const FlashTiming& time = bank.timing;
  t[0x1F] = Log2(time.wordProgramUs);
  t[0x20] = intel ? 0x07 : 0x00;  // buffer write, which is not modelled
  t[0x21] = Log2(time.blockEraseMs);
  t[0x23] = Log2(time.wordProgramMaxUs / time.wordProgramUs);
  t[0x24] = intel ? 0x04 : 0x00;
  t[0x25] = Log2(time.blockEraseMaxMs / time.blockEraseMs);
  t[0x27] = Log2(bank.deviceSize);
  const std::uint32_t chipWidth = bank.busWidth / bank.chips;
  t[0x28] = chipWidth == 1 ? 0x00 : chipWidth == 2 ? 0x02 : 0x03;  // x8, x8/x16, x32
  t[0x2A] = intel ? 0x05 : 0x00;
  t[0x2C] = static_cast<std::uint8_t>(regions);
  for (std::size_t i = 0; i < regions; ++i) {
    const FlashRegion& r = bank.regions[i];
    const std::uint32_t units = r.blockSize == 128 ? 0 : r.blockSize / 256;
    const std::uint32_t v = (r.blockCount - 1) | (units << 16);
    for (int k = 0; k < 4; ++k) t[0x2D + 4 * i + k] = static_cast<std::uint8_t>(v >> (8 * k));
  }
  if (intel) {
    IntelVendorTable(t, pri);
  } else {
    AmdVendorTable(t, pri, bank);
  }
  return t;
}

}  // namespace talvon::sim
