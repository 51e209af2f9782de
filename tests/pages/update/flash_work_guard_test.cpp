// While the flash is written, the rest of the utility keeps off it: taps
// that would flush or reboot are refused, a close waits for the work and
// ends the utility without a reboot.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "flash/bin_image_builder.h"
#include "flash/image_files.h"
#include "flash/os_image_version.h"
#include "operations/flash_files.h"
#include "pages/update/update_page.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_133.h"
#include "sim/controller/simulated_controller.h"
#include "support/controller_folder.h"
#include "support/utility_test.h"

namespace talvon::test {
namespace {

constexpr char kImage[] = "\\CompactFlash\\nk.bin";

class FlashWorkGuardTest : public UtilityTest {
 protected:
  void SetUp() override {
    controller_ = Boot();
    ASSERT_NE(controller_, nullptr);
    dir_.PutFile("CompactFlash/nk.bin",
                 BuildBinImage({.version = "TalvonOS 11", .size = 0x30000, .recordSize = 0x8000}));
  }

  std::unique_ptr<sim::SimulatedController> Boot() { return dir_.Boot(); }

  // Runs the utility; `steps` once the home screen is up. `duringWork`, when
  // set, plays the operator at the first turn the flash work gives the panel.
  void Run(const std::function<void(UtilitySession&, HeadlessDriver&)>& steps,
           const std::function<void(UtilitySession&, HeadlessDriver&)>& duringWork = nullptr) {
    SetUpRun(controller_->GetPlatform(), dir_.Clock());
    if (duringWork) {
      Backend().SetPumpHook([&] {
        if (Session().platform.flash.Work().Busy() && !played_) {
          played_ = true;
          duringWork(Session(), Driver());
        }
      });
    }
    UtilityTest::Run([&] { steps(Session(), Driver()); });
    shown_ = Backend().FlashWorkShown();
    refusedReboots_ = Session().Guard().RefusedReboots();
    EndRun();
  }

  static void StartOsWrite(UtilitySession& session, HeadlessDriver& driver) {
    ASSERT_EQ(driver.Click(session.mainWindow->Handle(), ids102::kLowerPicture), DriverResult::Done);
    ASSERT_EQ(driver.SelectTab(session.RebootSheet().Handle(), ids129::kTabControl, 1), DriverResult::Done);
    driver.AnswerFile(kImage);
    ASSERT_EQ(driver.Click(session.page1->Handle(), ids133::kBrowseButton), DriverResult::Done);
    ASSERT_EQ(driver.Click(session.page1->Handle(), ids133::kWriteButton), DriverResult::Done);
  }

  ControllerFolder dir_;
  std::unique_ptr<sim::SimulatedController> controller_;
  bool played_ = false;
  std::vector<std::string> shown_;
  int refusedReboots_ = 0;
};

TEST_F(FlashWorkGuardTest, TapsThatWouldFlushOrRebootAreRefusedWhileTheOsImageIsWritten) {
  DriverResult confirm = DriverResult::Done, tab = DriverResult::Done, home = DriverResult::Done;
  long flush = ERROR_SUCCESS;
  Run(StartOsWrite, [&](UtilitySession& session, HeadlessDriver& driver) {
    const WindowHandle sheet = session.RebootSheet().Handle();
    driver.AnswerBox(IDYES);
    driver.AnswerBox(IDYES);
    confirm = driver.Click(sheet, ids129::kConfirmRegistryButton);
    tab = driver.SelectTab(sheet, ids129::kTabControl, 0);
    home = driver.Click(sheet, ids129::kHomeButton);
    // Whatever reaches the roles directly is refused there too.
    flush = session.platform.registry.FlushKey(HKEY_LOCAL_MACHINE);
    session.platform.sdk.Reset_TalVon();
  });
  ASSERT_TRUE(played_);
  EXPECT_EQ(confirm, DriverResult::Busy);
  EXPECT_EQ(tab, DriverResult::Busy);
  EXPECT_EQ(home, DriverResult::Busy);
  EXPECT_NE(flush, ERROR_SUCCESS);
  EXPECT_EQ(refusedReboots_, 1);
  EXPECT_EQ(shown_, (std::vector<std::string>{"Writing the OS image", ""}));
  // The write went on to its end and restarted the controller once, into the new image.
  ASSERT_TRUE(controller_->Sdk().RebootRequested());
  controller_.reset();
  controller_ = Boot();
  ASSERT_NE(controller_, nullptr);
  EXPECT_EQ(ReadOsVersion(controller_->Flash()), "TalvonOS 11");
}

TEST_F(FlashWorkGuardTest, CloseDuringTheWriteEndsTheUtilityAfterItWithoutARestart) {
  DriverResult close = DriverResult::Done;
  bool homeStillUp = false;
  Run(StartOsWrite, [&](UtilitySession& session, HeadlessDriver& driver) {
    close = driver.Close(session.mainWindow->Handle());
    homeStillUp = session.mainWindow != nullptr;
  });
  EXPECT_EQ(close, DriverResult::Busy);
  EXPECT_TRUE(homeStillUp);
  EXPECT_FALSE(controller_->Sdk().RebootRequested());
  // The image was written whole: the next start boots it.
  controller_.reset();
  controller_ = Boot();
  ASSERT_NE(controller_, nullptr);
  EXPECT_EQ(ReadOsVersion(controller_->Flash()), "TalvonOS 11");
}

TEST_F(FlashWorkGuardTest, CloseDuringARestoreEndsTheUtilityInsteadOfItsReboot) {
  Run([&](UtilitySession& session, HeadlessDriver&) {
    ImageFileContext context{session.platform.files, session.platform.flash, session.AppBoxes(), session.transfer};
    ASSERT_EQ(BackupAllFile(context, "\\CompactFlash\\T5x5x_Backup.bak"), 0);
  });
  played_ = false;
  DriverResult close = DriverResult::Done;
  bool rebootAsked = false;
  Run(
      [&](UtilitySession& session, HeadlessDriver&) {
        ImageFileContext context{session.platform.files, session.platform.flash, session.AppBoxes(),
                                 session.transfer};
        EXPECT_EQ(RestoreAllFile(context, "\\CompactFlash\\T5x5x_Backup.bak"), 0);
        rebootAsked = true;
        session.platform.sdk.Reset_TalVon();  // as the page does after a restore
      },
      [&](UtilitySession& session, HeadlessDriver& driver) { close = driver.Close(session.mainWindow->Handle()); });
  EXPECT_TRUE(played_);  // the restore gave the panel turns to repaint
  EXPECT_EQ(close, DriverResult::Busy);
  EXPECT_TRUE(rebootAsked);
  EXPECT_FALSE(controller_->Sdk().RebootRequested());
  EXPECT_EQ(shown_.front(), "Restoring the whole system");
}

}  // namespace
}  // namespace talvon::test
