#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "flash/flash_areas.h"
#include "flash/shared_unit_loop.h"
#include "sim/flash/flash_bank.h"
#include "sim/flash/flash_config.h"
#include "sim/flash/flash_file.h"

// The flash window of a simulated controller: 0xBCA00000 to 0xBEA00000 over
// flash.bin, with the banks of chips that FlashConfig describes one after
// another from the window base. Addresses past the last bank and outside
// the window read all ones and ignore stores, as an empty chip select does.
// Models power failure at a chosen bus cycle: operations under way stop
// half done, and afterwards nothing reaches the chips (loads read all ones)
// until the flash is opened again on the same file.
// Does not model: bus timing, or accesses that are not aligned to their
// size other than as separate byte accesses.
namespace talvon::sim {

class SimFlash final : public FlashWindow {
 public:
  // Opens `file` with the chips of `config` (see FlashFile::Open for what
  // `access` does with a missing file). nullptr with *error when the
  // configuration or the file is bad.
  static std::unique_ptr<SimFlash> Open(const std::filesystem::path& file, const FlashConfig& config,
                                        std::string* error, FlashFile::Access access = FlashFile::Access::ReadWrite);
  ~SimFlash() override;

  std::uint8_t Load8(std::uint32_t address) override { return static_cast<std::uint8_t>(Load(address, 1)); }
  std::uint16_t Load16(std::uint32_t address) override { return static_cast<std::uint16_t>(Load(address, 2)); }
  std::uint32_t Load32(std::uint32_t address) override { return Load(address, 4); }
  void Store8(std::uint32_t address, std::uint8_t value) override { Store(address, 1, value); }
  void Store16(std::uint32_t address, std::uint16_t value) override { Store(address, 2, value); }
  void Store32(std::uint32_t address, std::uint32_t value) override { Store(address, 4, value); }
  void CopyOut(std::uint32_t address, void* destination, std::size_t count) override;
  // Offered always: the driver's unit loop with this class's bus cycles inlined.
  bool ProgramUnitRun(const FlashUnitRun& run, std::uint32_t* programmed) override;

  const FlashStats& Stats() const { return stats_; }
  void ResetStats() { stats_ = FlashStats{}; }
  // Erases the block holding `address` has seen (the most of any chip's part).
  std::uint32_t EraseCycles(std::uint32_t address) const;

  // Power fails just before bus cycle `cycle` (counted as Stats().busCycles
  // counts them, so Stats().busCycles + 1 is the next one); 0 cancels.
  void CutPowerAtCycle(std::uint64_t cycle);
  bool PowerLost() const { return powerLost_; }

  // The flash as the bus sees it in read-array mode, FlashWindowSize bytes
  // from the window base, without going through the chips.
  const std::uint8_t* Contents() const { return file_->Data(); }
  bool Sync(std::string* error) { return file_->Sync(error); }

 private:
  SimFlash(std::unique_ptr<FlashFile> file, const FlashConfig& config);

  // The bank holding a window offset, or nullptr.
  FlashBank* Route(std::uint32_t offset) {
    if (offset - routeStart_ < routeSize_) return route_;
    for (const auto& bank : banks_) {
      if (offset - bank->Start() < bank->Size()) {
        route_ = bank.get();
        routeStart_ = bank->Start();
        routeSize_ = bank->Size();
        for (std::uint32_t size : {1u, 2u, 4u}) routeCycles_[size >> 1] = bank->Cycles(size);
        return route_;
      }
    }
    return nullptr;
  }
  // Counts the bus cycles of an access; false when power fails first.
  bool Spend(std::uint64_t cycles) {
    if (stats_.busCycles + cycles >= cutAt_) {
      LosePower();
      return false;
    }
    stats_.busCycles += cycles;
    return true;
  }
  // The common case inline: aligned, in the bank of the last access, and
  // power stays on. Everything else, power failing on this cycle included,
  // goes to the slow path; both ends are tail calls.
  std::uint32_t Load(std::uint32_t address, std::uint32_t size) {
    const std::uint32_t offset = address - FlashWindowBase;
    if ((offset & (size - 1)) == 0 && offset - routeStart_ < routeSize_) [[likely]] {
      const std::uint64_t cycles = stats_.busCycles + routeCycles_[size >> 1];
      if (cycles < cutAt_) [[likely]] {
        stats_.busCycles = cycles;
        return route_->Read(offset - routeStart_, size);
      }
    }
    return SlowLoad(address, size);
  }
  void Store(std::uint32_t address, std::uint32_t size, std::uint32_t value) {
    const std::uint32_t offset = address - FlashWindowBase;
    if ((offset & (size - 1)) == 0 && offset - routeStart_ < routeSize_) [[likely]] {
      const std::uint64_t cycles = stats_.busCycles + routeCycles_[size >> 1];
      if (cycles < cutAt_) [[likely]] {
        stats_.busCycles = cycles;
        return route_->Write(offset - routeStart_, size, value);
      }
    }
    SlowStore(address, size, value);
  }
  // Out of line, so that the inline path needs no saved registers.
  [[gnu::noinline]] std::uint32_t SlowLoad(std::uint32_t address, std::uint32_t size);
  [[gnu::noinline]] void SlowStore(std::uint32_t address, std::uint32_t size, std::uint32_t value);
  void LosePower();

  std::unique_ptr<FlashFile> file_;
  std::vector<std::unique_ptr<FlashBank>> banks_;
  // The bank of the last access, where the next one almost always goes.
  FlashBank* route_ = nullptr;
  std::uint32_t routeStart_ = 0;
  std::uint32_t routeSize_ = 0;
  std::uint32_t routeCycles_[3] = {1, 1, 1};  // bus cycles of a 1, 2 and 4 byte access there
  FlashStats stats_;
  std::uint64_t cutAt_ = ~std::uint64_t{0};
  bool powerLost_ = false;
};

}  // namespace talvon::sim
