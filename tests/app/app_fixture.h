#pragma once
// Runs the utility on fakes and a headless backend. The test's steps run
// inside the home screen's modal loop, as the operator's actions would.
#include <gtest/gtest.h>

#include <functional>

#include "support/fakes.h"
#include "app/home_dlg.h"
#include "app/utility_app.h"
#include "pages/info/system_info_page.h"
#include "platform/headless/headless_driver.h"
#include "platform/headless/recording_roles.h"

namespace talvon::test {

class AppTest : public ::testing::Test {
 protected:
  AppTest()
      : backend(controller.clock),
        driver(backend),
        recorded(controller.platform, backend.GetTranscript()),
        app(recorded.platform, backend) {}

  // Runs the utility; `steps` runs once the home screen is up. When it
  // returns, the operator has nothing more to do and the run ends.
  void Run(const std::function<void()>& steps) {
    bool done = false;
    backend.SetOperator([&] {
      if (done) return false;
      done = true;
      steps();
      return true;
    });
    app.InitInstance();
  }

  UtilitySession& Session() { return app.Session(); }
  WindowHandle Home() { return Session().mainWindow != nullptr ? Session().mainWindow->Handle() : 0; }
  WindowHandle ConfigSheet() { return Session().RebootSheet().Handle(); }
  WindowHandle InfoSheet() { return Session().NoRebootSheet().Handle(); }
  WindowHandle Page(int index) { return Session().ConfigurationPage(index)->Handle(); }
  WindowHandle InfoPage() { return Session().infoPage->Handle(); }
  // The page the operator sees: the front-most visible page of the sheet.
  WindowHandle ShownPage(WindowHandle sheet) {
    for (WindowHandle page : backend.ZOrder(sheet)) {
      if (backend.IsWindowVisible(page)) return page;
    }
    return 0;
  }

  FakeController controller;
  HeadlessBackend backend;
  HeadlessDriver driver;
  // Program starts and reboots go into the driver's transcript.
  RecordedPlatform recorded;
  CUtilityApp app;
};

}  // namespace talvon::test
