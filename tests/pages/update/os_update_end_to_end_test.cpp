// A whole simulated controller: the operator writes a new OS image on the
// Update Version page, the controller restarts with it, and the information
// page shows the new version.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "flash/bin_image_builder.h"
#include "flash/os_image_version.h"
#include "pages/info/system_info_page.h"
#include "pages/update/update_page.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_132.h"
#include "platform/templates/ids_133.h"
#include "sim/controller/simulated_controller.h"
#include "support/controller_folder.h"
#include "support/utility_test.h"

namespace talvon::test {
namespace {

class OsUpdateEndToEnd : public UtilityTest {
 protected:
  std::unique_ptr<sim::SimulatedController> Boot() { return dir_.Boot(); }

  // One run of the utility on a booted controller; `steps` runs once the
  // home screen is up, with the session and the driver.
  void RunUtility(sim::SimulatedController& controller,
                  const std::function<void(UtilitySession&, HeadlessDriver&)>& steps) {
    SetUpRun(controller.GetPlatform(), dir_.Clock());
    Run([&] { steps(Session(), Driver()); });
    boxes_ = Log().MessageBoxes();
    EndRun();
  }

  void PutControllerFile(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    dir_.PutFile(relative, bytes);
  }

  ControllerFolder dir_;
  std::vector<MessageBoxEvent> boxes_;
};

TEST_F(OsUpdateEndToEnd, WrittenImageBootsAndTheInformationPageShowsItsVersion) {
  auto controller = Boot();
  ASSERT_NE(controller, nullptr);
  PutControllerFile("CompactFlash/nk.bin", BuildBinImage({.version = "TalvonOS 10.4 (field update)",
                                                          .imageStart = 0x80200000,
                                                          .size = 0x48000,
                                                          .recordSize = 0x10000}));
  RunUtility(*controller, [](UtilitySession& session, HeadlessDriver& driver) {
    const WindowHandle info = session.infoPage->Handle();
    EXPECT_EQ(driver.DisplayValue(info, ids132::kOsVersionField), "Talvon CE 5.0 build 1400 (simulated)");
    ASSERT_EQ(driver.Click(session.mainWindow->Handle(), ids102::kLowerPicture), DriverResult::Done);
    ASSERT_EQ(driver.SelectTab(session.RebootSheet().Handle(), ids129::kTabControl, 1), DriverResult::Done);
    const WindowHandle update = session.page1->Handle();
    driver.AnswerFile("\\CompactFlash\\nk.bin");
    ASSERT_EQ(driver.Click(update, ids133::kBrowseButton), DriverResult::Done);
    ASSERT_EQ(driver.Click(update, ids133::kWriteButton), DriverResult::Done);
    EXPECT_EQ(driver.DisplayValue(update, ids133::kStatusLine), "Now Write Flash Memory --> 100% done");
  });
  EXPECT_TRUE(boxes_.empty());
  ASSERT_TRUE(controller->Sdk().RebootRequested());
  controller.reset();  // the controller goes down and starts again

  controller = Boot();
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(ReadOsVersion(controller->Flash()), "TalvonOS 10.4 (field update)");
  // The registry area was erased with the OS: the factory registry is back.
  EXPECT_EQ(controller->RegistryBoot().source, sim::RegistryBootSource::FactoryRegistry);
  RunUtility(*controller, [](UtilitySession& session, HeadlessDriver& driver) {
    EXPECT_EQ(driver.DisplayValue(session.infoPage->Handle(), ids132::kOsVersionField), "TalvonOS 10.4 (field update)");
    EXPECT_EQ(driver.DisplayValue(session.infoPage->Handle(), ids132::kFirstSlotField + 1),
              "R-87055");  // slot 2, asked on the line
  });
}

// An image made by srecord from raw bytes: one record per contiguous run,
// an end record carrying the start address, no version of our own making.
TEST_F(OsUpdateEndToEnd, ImageMadeBySrecordIsWrittenAndBoots) {
  const BinImageOptions content{.version = "TalvonOS 11.0 (srec_cat)", .size = 0x28000};
  std::vector<std::uint8_t> raw(content.size);
  FillOsImageContent(content, 0, raw);
  const auto rawFile = dir_.Path() / "os.raw";
  std::ofstream(rawFile, std::ios::binary).write(reinterpret_cast<const char*>(raw.data()),
                                                 static_cast<std::streamsize>(raw.size()));
  const auto binFile = dir_.Path() / "controller" / "fs" / "CompactFlash" / "srec.bin";
  auto controller = Boot();
  ASSERT_NE(controller, nullptr);
  const std::string command = std::string(SREC_CAT) + " " + rawFile.string() +
                              " -binary -offset 0x80200000 -execution-start-address=0x80200000 -o " +
                              binFile.string() + " -msbin";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  RunUtility(*controller, [](UtilitySession& session, HeadlessDriver& driver) {
    EXPECT_EQ(driver.Click(session.mainWindow->Handle(), ids102::kLowerPicture), DriverResult::Done);
    EXPECT_EQ(driver.SelectTab(session.RebootSheet().Handle(), ids129::kTabControl, 1), DriverResult::Done);
    const WindowHandle update = session.page1->Handle();
    driver.AnswerFile("\\CompactFlash\\srec.bin");
    EXPECT_EQ(driver.Click(update, ids133::kBrowseButton), DriverResult::Done);
    EXPECT_EQ(driver.Click(update, ids133::kWriteButton), DriverResult::Done);
    EXPECT_EQ(driver.DisplayValue(update, ids133::kStatusLine), "Now Write Flash Memory --> 100% done");
  });
  EXPECT_TRUE(boxes_.empty());
  ASSERT_TRUE(controller->Sdk().RebootRequested());
  controller.reset();
  controller = Boot();
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(ReadOsVersion(controller->Flash()), "TalvonOS 11.0 (srec_cat)");
}

// The longest version text an image can carry, 120 bytes with two-byte
// letters in it, comes through the write and the reboot whole.
TEST_F(OsUpdateEndToEnd, AVersionTextOfTheFullLengthComesThroughWhole) {
  std::string version = "TalvonOS 12.0 ";
  while (version.size() < OsVersionMaxLength) version += "\u00e9";
  ASSERT_EQ(version.size(), 120u);
  EXPECT_TRUE(BuildBinImage({.version = version + "x", .size = 0x1000}).empty());  // one byte too many
  auto controller = Boot();
  ASSERT_NE(controller, nullptr);
  PutControllerFile("CompactFlash/nk.bin", BuildBinImage({.version = version, .size = 0x8000, .recordSize = 0x1000}));
  RunUtility(*controller, [](UtilitySession& session, HeadlessDriver& driver) {
    ASSERT_EQ(driver.Click(session.mainWindow->Handle(), ids102::kLowerPicture), DriverResult::Done);
    ASSERT_EQ(driver.SelectTab(session.RebootSheet().Handle(), ids129::kTabControl, 1), DriverResult::Done);
    driver.AnswerFile("\\CompactFlash\\nk.bin");
    ASSERT_EQ(driver.Click(session.page1->Handle(), ids133::kBrowseButton), DriverResult::Done);
    ASSERT_EQ(driver.Click(session.page1->Handle(), ids133::kWriteButton), DriverResult::Done);
  });
  ASSERT_TRUE(controller->Sdk().RebootRequested());
  controller.reset();
  controller = Boot();
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(ReadOsVersion(controller->Flash()), version);
  RunUtility(*controller, [&](UtilitySession& session, HeadlessDriver& driver) {
    EXPECT_EQ(driver.DisplayValue(session.infoPage->Handle(), ids132::kOsVersionField), version);
  });
}

}  // namespace
}  // namespace talvon::test
