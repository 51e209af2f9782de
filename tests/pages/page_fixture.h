#pragma once
// Runs the utility on simulated controller parts (flash chips over a
// flash.bin in a temporary folder, the serial backplane with its real
// pseudo-terminal, the SDK) and a headless backend. The test's steps run
// inside the home screen's modal loop, as the operator's actions would.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/home_dlg.h"
#include "app/utility_app.h"
#include "pages/info/system_info_page.h"
#include "pages/update/update_page.h"
#include "platform/headless/headless_driver.h"
#include "platform/headless/recording_roles.h"
#include "sim/backplane.h"
#include "sim/controller_config.h"
#include "sim/flash_config.h"
#include "sim/sim_flash.h"
#include "sim/sim_sdk.h"
#include "sim/sim_serial.h"
#include "support/counting_files.h"
#include "support/fakes.h"
#include "support/flash_sim_fixture.h"

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

class PageTest : public SimFlashTest {
 protected:
  // Builds the controller from `config` and `flashConfig` (adjust them
  // first), then runs the utility; `steps` runs once the home screen is up.
  void Run(const std::function<void()>& steps) {
    Boot();
    bool done = false;
    backend_->SetOperator([&] {
      if (done) return false;
      done = true;
      steps();
      return true;
    });
    app_->InitInstance();
  }

  // The controller's parts and the utility, without running it.
  void Boot() {
    flash = Open(flashConfig);
    ASSERT_NE(flash, nullptr);
    backplane = std::make_unique<sim::Backplane>(config.slots, clock);
    ASSERT_TRUE(backplane->LineAvailable());
    serialPorts = std::make_unique<sim::SimSerialPorts>(*backplane, clock);
    sdk = std::make_unique<sim::SimSdk>(config, *backplane);
    platform = std::make_unique<Platform>(
        Platform{registry, files, processes, *serialPorts, memory, clock, *flash, *sdk});
    backend_ = std::make_unique<HeadlessBackend>(clock);
    driver_ = std::make_unique<HeadlessDriver>(*backend_);
    recorded_ = std::make_unique<RecordedPlatform>(*platform, backend_->GetTranscript());
    app_ = std::make_unique<CUtilityApp>(recorded_->platform, *backend_);
  }

  UtilitySession& Session() { return app_->Session(); }
  HeadlessDriver& Driver() { return *driver_; }
  HeadlessBackend& Backend() { return *backend_; }
  Transcript& Log() { return backend_->GetTranscript(); }
  WindowHandle Home() { return Session().mainWindow->Handle(); }
  WindowHandle InfoPage() { return Session().infoPage->Handle(); }
  WindowHandle UpdatePage() { return Session().ConfigurationPage(1)->Handle(); }

  // The operator opens the information sheet from the home screen.
  void ShowInformation() { ASSERT_EQ(Driver().Click(Home(), 1075), DriverResult::Done); }
  // The operator opens the configuration sheet and its "Update Version" tab.
  void ShowUpdatePage() {
    ASSERT_EQ(Driver().Click(Home(), 1076), DriverResult::Done);
    ASSERT_EQ(Driver().SelectTab(Session().RebootSheet().Handle(), 1001, 1), DriverResult::Done);
  }
  std::string Shown(WindowHandle window, int controlId) { return Driver().DisplayValue(window, controlId); }
  bool Enabled(WindowHandle window, int controlId) { return Driver().Control(window, controlId)->enabled; }

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

 private:
  std::unique_ptr<HeadlessBackend> backend_;
  std::unique_ptr<HeadlessDriver> driver_;
  std::unique_ptr<RecordedPlatform> recorded_;
  std::unique_ptr<CUtilityApp> app_;
};

}  // namespace talvon::test
