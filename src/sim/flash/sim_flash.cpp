#include "sim/flash/sim_flash.h"

#include <algorithm>
#include <cstring>

#include "flash/flash_areas.h"
#include "sim/flash/flash_layout.h"

namespace talvon::sim {
namespace {

constexpr std::uint32_t Ones(std::uint32_t size) { return size >= 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1; }

}  // namespace

std::unique_ptr<SimFlash> SimFlash::Open(const std::filesystem::path& file, const FlashConfig& config,
                                         std::string* error, FlashFile::Access access) {
  if (!ValidateFlashConfig(config, error)) return nullptr;
  std::unique_ptr<FlashFile> mapped = FlashFile::Open(file, error, access);
  if (!mapped) return nullptr;
  return std::unique_ptr<SimFlash>(new SimFlash(std::move(mapped), config));
}

SimFlash::SimFlash(std::unique_ptr<FlashFile> file, const FlashConfig& config) : file_(std::move(file)) {
  for (std::size_t i = 0; i < config.banks.size(); ++i) {
    // Offsets into the window, as the banks route bus cycles.
    const auto start = static_cast<std::uint32_t>(FlashBankStart(config, i) - FlashWindowBase);
    banks_.push_back(MakeFlashBank(config, i, start, file_->Data() + start, &stats_));
  }
  CutPowerAtCycle(config.faults.powerLossAtCycle);
}

SimFlash::~SimFlash() = default;

// Unaligned accesses, a bank other than the last one, no bank, or power
// failing on this cycle.
std::uint32_t SimFlash::SlowLoad(std::uint32_t address, std::uint32_t size) {
  const std::uint32_t offset = address - FlashWindowBase;
  if (offset & (size - 1)) {
    // Not aligned to its size: taken as separate byte accesses.
    std::uint32_t value = 0;
    for (std::uint32_t i = 0; i < size; ++i) value |= SlowLoad(address + i, 1) << (8 * i);
    return value;
  }
  FlashBank* bank = Route(offset);
  if (bank == nullptr || !Spend(bank->Cycles(size))) return Ones(size);
  return bank->Read(offset - bank->Start(), size);
}

void SimFlash::SlowStore(std::uint32_t address, std::uint32_t size, std::uint32_t value) {
  const std::uint32_t offset = address - FlashWindowBase;
  if (offset & (size - 1)) {
    for (std::uint32_t i = 0; i < size; ++i) SlowStore(address + i, 1, (value >> (8 * i)) & 0xFF);
    return;
  }
  FlashBank* bank = Route(offset);
  if (bank == nullptr || !Spend(bank->Cycles(size))) return;
  bank->Write(offset - bank->Start(), size, value);
}

void SimFlash::CopyOut(std::uint32_t address, void* destination, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(destination);
  std::uint64_t at = address;
  const std::uint64_t windowEnd = std::uint64_t{FlashWindowBase} + FlashWindowSize;
  while (count > 0) {
    FlashBank* bank = nullptr;
    if (at >= FlashWindowBase && at < windowEnd) bank = Route(static_cast<std::uint32_t>(at - FlashWindowBase));
    std::size_t chunk = count;
    if (bank == nullptr) {
      // Nothing answers here: below the window, past the banks, past the window.
      if (at < FlashWindowBase) chunk = std::min<std::uint64_t>(count, FlashWindowBase - at);
      else if (at < windowEnd) chunk = std::min<std::uint64_t>(count, windowEnd - at);
      std::memset(out, 0xFF, chunk);
    } else {
      const auto offset = static_cast<std::uint32_t>(at - FlashWindowBase);
      chunk = std::min<std::uint64_t>(count, bank->Start() + bank->Size() - offset);
      const std::uint32_t width = bank->BusWidth();
      if (!Spend((chunk + width - 1) / width)) {
        std::memset(out, 0xFF, chunk);
      } else if (bank->ReadsArray()) {
        std::memcpy(out, file_->Data() + offset, chunk);
      } else {
        for (std::size_t i = 0; i < chunk; ++i) {
          out[i] = static_cast<std::uint8_t>(bank->Read(static_cast<std::uint32_t>(offset + i) - bank->Start(), 1));
        }
      }
    }
    out += chunk;
    at += chunk;
    count -= chunk;
  }
}

// The bank at the run's command address runs the loop over its own bus
// cycles; an access of the run outside that bank still comes here.
bool SimFlash::ProgramUnitRun(const FlashUnitRun& run, std::uint32_t* programmed) {
  FlashBank* bank = Route(run.bankBase - FlashWindowBase);
  if (bank == nullptr || powerLost_) {
    *programmed = flash_unit::ProgramUnits(*this, run);
  } else {
    *programmed = bank->ProgramUnits(run, BusMeter{&stats_.busCycles, &cutAt_, this});
  }
  return true;
}

std::uint32_t SimFlash::EraseCycles(std::uint32_t address) const {
  const std::uint32_t offset = address - FlashWindowBase;
  for (const auto& bank : banks_) {
    if (offset - bank->Start() < bank->Size()) return bank->EraseCycles(offset - bank->Start());
  }
  return 0;
}

void SimFlash::CutPowerAtCycle(std::uint64_t cycle) {
  if (powerLost_) return;
  cutAt_ = cycle == 0 ? ~std::uint64_t{0} : cycle;
}

void SimFlash::LosePower() {
  if (!powerLost_) {
    for (const auto& bank : banks_) bank->CutPower();
    powerLost_ = true;
  }
  cutAt_ = 0;
}

}  // namespace talvon::sim
