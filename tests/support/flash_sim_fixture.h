#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "flash/flash_areas.h"
#include "sim/flash/flash_config.h"
#include "sim/flash/sim_flash.h"
#include "support/temp_dir.h"

// Simulated flash chips over a flash.bin in a temporary folder per test.
namespace talvon::test {

// A bank with short CFI times, so that the polls a driver allows a hung
// chip stay few, and a single region of uniform blocks.
inline sim::FlashBankConfig QuickBank(std::uint32_t commandSet, std::uint32_t busWidth, std::uint32_t chips,
                                      std::uint32_t deviceSize, std::uint32_t blockSize) {
  sim::FlashBankConfig bank;
  bank.commandSet = commandSet;
  bank.busWidth = busWidth;
  bank.chips = chips;
  bank.deviceSize = deviceSize;
  bank.regions = {{blockSize, deviceSize / blockSize}};
  bank.timing = {2, 4, 2, 4};
  return bank;
}

// Two 16-bit AMD bottom-boot chips of 2 MiB: 1 x 16 KiB, 2 x 8 KiB,
// 1 x 32 KiB, 31 x 64 KiB.
inline sim::FlashBankConfig BottomBootAmdBank(std::uint32_t busWidth = 4, std::uint32_t chips = 2) {
  sim::FlashBankConfig bank = QuickBank(2, busWidth, chips, 2u << 20, 64u << 10);
  bank.regions = {{16u << 10, 1}, {8u << 10, 2}, {32u << 10, 1}, {64u << 10, 31}};
  return bank;
}

inline sim::FlashConfig ConfigOf(std::vector<sim::FlashBankConfig> banks) {
  sim::FlashConfig config;
  config.banks = std::move(banks);
  return config;
}

// Flash chips opened over flash.bin in a temporary folder of their own.
class SimFlashFile {
 protected:
  std::filesystem::path FlashFile() const { return dir_.Path() / "flash.bin"; }

  // Opens flash.bin of this test with `config`; fails the test on error.
  std::unique_ptr<sim::SimFlash> Open(const sim::FlashConfig& config) {
    std::string error;
    auto flash = sim::SimFlash::Open(FlashFile(), config, &error);
    EXPECT_NE(flash, nullptr) << error;
    return flash;
  }

  // Writes bytes into flash.bin (created blank first) before the chips
  // are opened on it: cells that hold data from an earlier life.
  void PutFileBytes(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    std::string error;
    if (!std::filesystem::exists(FlashFile())) {
      ASSERT_TRUE(sim::FlashFile::CreateBlank(FlashFile(), &error)) << error;
    }
    std::fstream file(FlashFile(), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(address - FlashWindowBase);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good());
  }

  // The bytes at window address `address`, straight from the file's mapping.
  std::vector<std::uint8_t> FlashBytes(const sim::SimFlash& flash, std::uint32_t address, std::size_t count) const {
    const std::uint8_t* p = flash.Contents() + (address - FlashWindowBase);
    return std::vector<std::uint8_t>(p, p + count);
  }

  TempDir dir_;
};

class SimFlashTest : public ::testing::Test, public SimFlashFile {};

}  // namespace talvon::test
