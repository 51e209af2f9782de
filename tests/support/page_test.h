#pragma once
// The utility on simulated controller parts (flash chips over a flash.bin
// in a temporary folder, the serial backplane with its real pseudo-terminal,
// the SDK) beside stand-ins for the registry, files, processes and memory,
// so that a test sets up each part as it needs.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/update/update_page.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "sim/roles/backplane.h"
#include "sim/controller/controller_config.h"
#include "sim/flash/flash_config.h"
#include "sim/flash/sim_flash.h"
#include "sim/roles/sim_sdk.h"
#include "sim/roles/sim_serial.h"
#include "support/counting_files.h"
#include "support/fakes.h"
#include "support/flash_sim_fixture.h"
#include "support/utility_test.h"

namespace talvon::test {

// Program starts as the page asks for them; `fail` makes every start fail.
class ScriptedProcesses final : public Processes {
 public:
  struct Start {
    std::string path;
    bool suspended = false;
  };
  bool CreateProcess(std::string_view path, bool suspended, ProcessInformation* info) override {
    if (fail) return false;
    starts.push_back({std::string(path), suspended});
    if (info != nullptr) *info = ProcessInformation{1000u + static_cast<std::uint32_t>(starts.size()), 77};
    return true;
  }
  bool ResumeThread(std::uint32_t threadId) override {
    resumed.push_back(threadId);
    return true;
  }
  bool OpenThroughShellAndWait(std::string_view) override { return false; }

  bool fail = false;
  std::vector<Start> starts;
  std::vector<std::uint32_t> resumed;
};

class PageTest : public UtilityTest, public SimFlashFile {
 protected:
  // Builds the controller from `config` and `flashConfig` (adjust them
  // first), then runs the utility; `steps` runs once the home screen is up.
  void Run(const std::function<void()>& steps) {
    Boot();
    if (HasFatalFailure()) return;
    UtilityTest::Run(steps);
  }

  // The controller's parts and the utility, without running it.
  void Boot() {
    EndRun();
    flash = Open(flashConfig);
    ASSERT_NE(flash, nullptr);
    backplane = std::make_unique<sim::Backplane>(config.slots, clock);
    ASSERT_TRUE(backplane->LineAvailable());
    serialPorts = std::make_unique<sim::SimSerialPorts>(*backplane, clock);
    sdk = std::make_unique<sim::SimSdk>(config, *backplane);
    platform = std::make_unique<Platform>(
        Platform{registry, files, processes, *serialPorts, memory, clock, *flash, *sdk});
    SetUpRun(*platform, clock);
  }

  WindowHandle UpdatePage() { return Page(1); }

  // The operator opens the information sheet from the home screen.
  void ShowInformation() { ASSERT_EQ(Driver().Click(Home(), ids102::kUpperPicture), DriverResult::Done); }
  // The operator opens the configuration sheet and its "Update Version" tab.
  void ShowUpdatePage() {
    ASSERT_EQ(Driver().Click(Home(), ids102::kLowerPicture), DriverResult::Done);
    ASSERT_EQ(Driver().SelectTab(ConfigSheet(), ids129::kTabControl, 1), DriverResult::Done);
  }

  // The whole flash, as the chips hold it.
  std::vector<std::uint8_t> WholeFlash() const { return FlashBytes(*flash, FlashWindowBase, FlashWindowSize); }

  VirtualClock clock;
  sim::ControllerConfig config = sim::DefaultControllerConfig();
  sim::FlashConfig flashConfig = sim::DefaultFlashConfig();
  CountingFiles files;
  FakeRegistry registry;
  ScriptedProcesses processes;
  FixedMemory memory;

  std::unique_ptr<sim::SimFlash> flash;
  std::unique_ptr<sim::Backplane> backplane;
  std::unique_ptr<sim::SimSerialPorts> serialPorts;
  std::unique_ptr<sim::SimSdk> sdk;
  std::unique_ptr<Platform> platform;
};

}  // namespace talvon::test
