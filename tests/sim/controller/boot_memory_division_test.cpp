// The division of RAM a simulated controller boots with: the registry's
// "Velmar\MemDivision" when the kernel can give it, else controller.json's.
#include <gtest/gtest.h>

#include "sim/controller/simulated_controller.h"
#include "support/temp_dir.h"

namespace talvon::sim {
namespace {

class BootMemoryDivision : public ::testing::Test {
 protected:
  std::uint32_t StorageAfterBootWith(std::uint32_t pages) {
    ControllerOptions options;
    options.childOutput = SimProcesses::ChildOutput::Discard;
    std::string error;
    {
      auto first = SimulatedController::Boot(dir_.Path() / "c", clock_, &error, options);
      EXPECT_NE(first, nullptr) << error;
      Registry& registry = first->GetPlatform().registry;
      HKEY key = 0;
      EXPECT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "Velmar", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
      registry.SetValue(key, "MemDivision", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&pages), 4);
      registry.CloseKey(key);
      EXPECT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    }
    auto second = SimulatedController::Boot(dir_.Path() / "c", clock_, &error, options);
    EXPECT_NE(second, nullptr) << error;
    MemoryDivisionFigures figures;
    second->GetPlatform().memory.GetDivision(&figures);
    return figures.storagePages;
  }

  test::TempDir dir_;
  VirtualClock clock_;
};

TEST_F(BootMemoryDivision, AFlushedDivisionIsInForceAfterTheReboot) { EXPECT_EQ(StorageAfterBootWith(5104), 5104u); }

TEST_F(BootMemoryDivision, ADivisionCuttingIntoStorageInUseIsRefusedAtBoot) {
  EXPECT_EQ(StorageAfterBootWith(500), 4096u);  // 1000 pages hold files
}

}  // namespace
}  // namespace talvon::sim
