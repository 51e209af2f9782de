#pragma once
// Runs the utility with the headless backend on a controller's platform
// roles. The test's steps run inside the home screen's modal loop, as the
// operator's actions would. The fixtures that give it a controller:
// AppTest (stand-ins in memory), PageTest (simulated parts beside stand-ins)
// and SimPageTest (a whole simulated controller in a temporary folder).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/home_dlg.h"
#include "app/utility_app.h"
#include "pages/info/system_info_page.h"
#include "platform/clock.h"
#include "platform/headless/headless_driver.h"
#include "platform/headless/recording_roles.h"
#include "platform/platform.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"

namespace talvon::test {

class UtilityTest : public ::testing::Test {
 protected:
  // The run goes before the controller it ran on.
  void TearDown() override { EndRun(); }

  // Sets up a run of the utility on `platform`, not started yet: the
  // headless backend on `clock`, its driver, and the app, with the program
  // starts and reboots going into the transcript. A run set up before ends.
  void SetUpRun(Platform& platform, Clock& clock) {
    EndRun();
    run_ = std::make_unique<UtilityRun>(platform, clock);
  }
  // Starts the run set up last; `steps` runs once the home screen is up.
  // When it returns, the operator has nothing more to do and the run ends.
  // Its windows, driver and transcript stay readable until EndRun.
  void Run(const std::function<void()>& steps) {
    bool done = false;
    Backend().SetOperator([&] {
      if (done) return false;
      done = true;
      steps();
      return true;
    });
    run_->app.InitInstance();
  }
  // Lets go of the run, before its controller goes down.
  void EndRun() { run_.reset(); }

  CUtilityApp& App() { return run_->app; }
  UtilitySession& Session() { return run_->app.Session(); }
  HeadlessDriver& Driver() { return run_->driver; }
  HeadlessBackend& Backend() { return run_->backend; }
  Transcript& Log() { return run_->backend.GetTranscript(); }
  // The utility asked the controller to restart.
  bool RebootRequested() const { return run_->recorded.sdk.RebootRequested(); }

  // ---- The windows, and the operator's ways to them ----
  WindowHandle Home() { return Session().mainWindow != nullptr ? Session().mainWindow->Handle() : 0; }
  WindowHandle ConfigSheet() { return Session().RebootSheet().Handle(); }
  WindowHandle InfoSheet() { return Session().NoRebootSheet().Handle(); }
  WindowHandle Page(int index) { return Session().ConfigurationPage(index)->Handle(); }
  WindowHandle InfoPage() { return Session().infoPage->Handle(); }
  // The page the operator sees: the front-most visible page of the sheet.
  WindowHandle ShownPage(WindowHandle sheet) {
    for (WindowHandle page : Backend().ZOrder(sheet)) {
      if (Backend().IsWindowVisible(page)) return page;
    }
    return 0;
  }
  // The operator opens the configuration sheet on the tab.
  WindowHandle ShowTab(int tab) {
    EXPECT_EQ(Driver().Click(Home(), ids102::kLowerPicture), DriverResult::Done);
    EXPECT_EQ(Driver().SelectTab(ConfigSheet(), ids129::kTabControl, tab), DriverResult::Done);
    return Page(tab);
  }
  // A command from a control no tap can reach (a hidden button).
  void Command(WindowHandle window, int controlId) {
    WindowMessage m;
    m.message = WM_COMMAND;
    m.controlId = controlId;
    m.code = BN_CLICKED;
    Backend().Send(window, m);
  }
  std::string Shown(WindowHandle window, int controlId) { return Driver().DisplayValue(window, controlId); }
  bool Enabled(WindowHandle window, int controlId) { return Driver().Control(window, controlId)->enabled; }

 private:
  struct UtilityRun {
    UtilityRun(Platform& platform, Clock& clock)
        : backend(clock), driver(backend), recorded(platform, backend.GetTranscript()), app(recorded.platform, backend) {}
    HeadlessBackend backend;
    HeadlessDriver driver;
    RecordedPlatform recorded;
    CUtilityApp app;
  };
  std::unique_ptr<UtilityRun> run_;
};

}  // namespace talvon::test
