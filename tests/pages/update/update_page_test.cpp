// The Update Version page on a simulated controller: choosing the image,
// writing it, and every way the write refuses or stops.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash/bin_image_builder.h"
#include "flash/flash_device.h"
#include "flash/os_image_version.h"
#include "operations/image_path.h"
#include "platform/templates/ids_133.h"
#include "support/page_test.h"

namespace talvon::test {
namespace {

using namespace ids133;

constexpr char kImage[] = "\\CompactFlash\\nk.bin";

const BinImageOptions kSmallImage{.version = "TalvonOS 9.2", .imageStart = 0x80200000, .size = 0x30000,
                                  .recordSize = 0x10000};

class UpdatePageTest : public PageTest {
 protected:
  void Browse(const std::string& path) {
    Driver().AnswerFile(path);
    ASSERT_EQ(Driver().Click(UpdatePage(), kBrowseButton), DriverResult::Done);
  }
  void Write() { ASSERT_EQ(Driver().Click(UpdatePage(), kWriteButton), DriverResult::Done); }
  std::string ImagePath() { return std::string(ImagePathText(Session().update.imagePath)); }
  std::vector<MessageBoxEvent> Boxes() { return Log().MessageBoxes(); }
};

// A BIN image put together by hand: header, records of (address, size), end record.
std::vector<std::uint8_t> HandImage(std::uint32_t start, std::uint32_t length,
                                    const std::vector<std::pair<std::uint32_t, std::uint32_t>>& records) {
  std::vector<std::uint8_t> image;
  AppendBinHeader(image, start, length);
  for (auto [address, size] : records) AppendBinRecord(image, address, std::vector<std::uint8_t>(size, 0x42));
  AppendBinEndRecord(image);
  return image;
}

TEST_F(UpdatePageTest, WriteIsDisabledUntilABinImageIsChosen) {
  files.Put(kImage, BuildBinImage(kSmallImage));
  Run([&] {
    ShowUpdatePage();
    EXPECT_FALSE(Enabled(UpdatePage(), kWriteButton));
    EXPECT_EQ(Driver().Click(UpdatePage(), kWriteButton), DriverResult::Disabled);
    Browse(kImage);
    EXPECT_TRUE(Enabled(UpdatePage(), kWriteButton));
    EXPECT_EQ(Shown(UpdatePage(), kPathField), kImage);
    EXPECT_EQ(ImagePath(), kImage);
  });
  const auto dialogs = Log().FileDialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].filter, "OSimage Files(*.bin)|*.bin");
  EXPECT_EQ(dialogs[0].flags, 0x1800u);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(UpdatePageTest, CancelledBrowseKeepsPathAndWriteButton) {
  files.Put(kImage, BuildBinImage(kSmallImage));
  Run([&] {
    ShowUpdatePage();
    Browse(kImage);
    Driver().CancelFile();
    ASSERT_EQ(Driver().Click(UpdatePage(), kBrowseButton), DriverResult::Done);
    EXPECT_TRUE(Enabled(UpdatePage(), kWriteButton));
    EXPECT_EQ(Shown(UpdatePage(), kPathField), kImage);
    EXPECT_EQ(ImagePath(), kImage);
  });
}

TEST_F(UpdatePageTest, ShorterSecondPathLeavesNoTraceOfTheFirst) {
  const std::string longPath = "\\CompactFlash\\images\\release\\nk-2024.bin";
  files.Put(longPath, BuildBinImage(kSmallImage));
  files.Put("\\a.bin", BuildBinImage(kSmallImage));
  Run([&] {
    ShowUpdatePage();
    Browse(longPath);
    Browse("\\a.bin");
  });
  ImagePathBuffer expected{};
  std::copy_n("\\a.bin", 6, expected.begin());
  EXPECT_EQ(Session().update.imagePath, expected);
}

TEST_F(UpdatePageTest, OtherFilesDisableWriteEvenAfterAGoodOne) {
  files.Put(kImage, BuildBinImage(kSmallImage));
  files.Put("\\CompactFlash\\crlf.bin", {'B', '0', '0', '0', 'F', 'F', '\r', '\n'});
  Run([&] {
    ShowUpdatePage();
    Browse(kImage);
    Driver().AnswerBox(IDOK);
    Browse("\\CompactFlash\\crlf.bin");
    EXPECT_FALSE(Enabled(UpdatePage(), kWriteButton));
    EXPECT_EQ(Shown(UpdatePage(), kPathField), "\\CompactFlash\\crlf.bin");
  });
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "This is not a bin image,Please select another file.");
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].style, 16u);
  EXPECT_EQ(boxes[0].ownerTemplateId, 133);
}

TEST_F(UpdatePageTest, FileThatCannotBeOpenedKeepsWriteDisabledAndSaysSo) {
  files.Put(kImage, BuildBinImage(kSmallImage));
  Run([&] {
    ShowUpdatePage();
    Browse(kImage);
    Driver().AnswerBox(IDOK);
    Browse("\\CompactFlash\\gone.bin");
    EXPECT_FALSE(Enabled(UpdatePage(), kWriteButton));
  });
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "This file cannot be opened,Please select another file.");
  EXPECT_EQ(Boxes()[0].caption, "ERROR");
}

TEST_F(UpdatePageTest, PathsLongerThanNinetyNineCharactersAreRefusedWhole) {
  const std::string fits = "\\CompactFlash\\" + std::string(99 - 18, 'p') + ".bin";
  const std::string tooLong = "\\CompactFlash\\" + std::string(100 - 18, 'p') + ".bin";
  ASSERT_EQ(fits.size(), 99u);
  ASSERT_EQ(tooLong.size(), 100u);
  files.Put(fits, BuildBinImage(kSmallImage));
  files.Put(tooLong, BuildBinImage(kSmallImage));
  Run([&] {
    ShowUpdatePage();
    Browse(fits);
    EXPECT_TRUE(Enabled(UpdatePage(), kWriteButton));
    EXPECT_EQ(ImagePath(), fits);
    Driver().AnswerBox(IDOK);
    Browse(tooLong);
    EXPECT_FALSE(Enabled(UpdatePage(), kWriteButton));
    EXPECT_EQ(ImagePath(), "");
  });
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].text.find("longer than 99 characters"), std::string::npos);
}

TEST(ImagePathStore, NarrowsEachUnitAndRefusesWhatWouldNameAnotherFile) {
  ImagePathBuffer buffer{};
  EXPECT_EQ(StoreImagePath("\\CF\\caf\xC3\xA9.bin", buffer), ImagePathProblem::None);  // U+00E9 fits a byte
  EXPECT_EQ(ImagePathText(buffer), "\\CF\\caf\xE9.bin");
  EXPECT_EQ(StoreImagePath("\\CF\\\xC4\x81.bin", buffer), ImagePathProblem::NotNarrow);  // U+0101 would be 0x01
  EXPECT_EQ(ImagePathText(buffer), "\\CF\\caf\xE9.bin");
  // 99 UTF-16 units fit even when their UTF-8 form is longer.
  std::string accented;
  for (int i = 0; i < 99; ++i) accented += "\xC3\xA9";
  EXPECT_EQ(StoreImagePath(accented, buffer), ImagePathProblem::None);
  EXPECT_EQ(StoreImagePath(accented + "x", buffer), ImagePathProblem::TooLong);
}

TEST_F(UpdatePageTest, GoodImageIsWrittenRecordByRecordAndTheControllerRestarts) {
  files.Put(kImage, BuildBinImage(kSmallImage));
  PutFileBytes(RegistryFlashArea, std::vector<std::uint8_t>(0x400, 0x12));  // a persisted registry
  Run([&] {
    ShowUpdatePage();
    Browse(kImage);
    Write();
    EXPECT_EQ(Shown(UpdatePage(), kStatusLine), "Now Write Flash Memory --> 100% done");
    EXPECT_EQ(Shown(UpdatePage(), kProgressBar), "100");
    EXPECT_FALSE(Enabled(UpdatePage(), kBrowseButton));
    EXPECT_FALSE(Enabled(UpdatePage(), kWriteButton));
    EXPECT_FALSE(Backend().WaitCursorShown());
  });
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Log().Reboots(), 1);
  EXPECT_TRUE(sdk->RebootRequested());
  std::vector<std::uint8_t> expected(kSmallImage.size + 0x1000);
  FillOsImageContent(kSmallImage, 0, expected);
  EXPECT_EQ(FlashBytes(*flash, OsImageFlashArea, expected.size()), expected);
  EXPECT_EQ(FlashBytes(*flash, RegistryFlashArea, 0x400), std::vector<std::uint8_t>(0x400, 0xFF));
  EXPECT_TRUE(OsAreaHoldsImage(*flash));
  EXPECT_EQ(ReadOsVersion(*flash), "TalvonOS 9.2");
  EXPECT_EQ(files.stillOpen(), 0);
}

TEST_F(UpdatePageTest, StatusLineIsDrawnInRedOnItsBackground) {
  Run([&] {
    const ControlColours status = Driver().Colours(UpdatePage(), kStatusLine);
    EXPECT_EQ(status.textColour, RGB(255, 0, 0));
    EXPECT_EQ(status.backgroundMode, TRANSPARENT);
    EXPECT_FALSE(status.brush.has_value());
    const ControlColours path = Driver().Colours(UpdatePage(), kPathField);
    EXPECT_FALSE(path.textColour.has_value());
  });
}

// Damaged images are refused before anything is erased.
struct DamagedImage {
  const char* name;
  std::vector<std::uint8_t> bytes;
  const char* problem;  // part of what the box says
};

std::vector<DamagedImage> DamagedImages() {
  std::vector<DamagedImage> cases;
  std::vector<std::uint8_t> good = BuildBinImage({.version = "", .imageStart = 0x80000000, .size = 0x3000, .recordSize = 0x1000});
  std::vector<std::uint8_t> badSum = good;
  badSum[15 + 2 * (12 + 0x1000) + 12 + 7] ^= 0x01;  // the last record's data, after two good records
  cases.push_back({"bad checksum", badSum, "checksum"});
  std::vector<std::uint8_t> cut(good.begin(), good.begin() + 15 + 12 + 0x1000 + 12 + 0x800);
  cases.push_back({"truncated", cut, "cut short"});
  std::vector<std::uint8_t> noEnd(good.begin(), good.end() - 12);
  cases.push_back({"no end record", noEnd, "end record"});
  cases.push_back({"record below the image start",
                   HandImage(0x80000000, 0x3000, {{0x80000000, 0x100}, {0x7FFFF000, 0x100}}),
                   "below the image start"});
  cases.push_back({"record past the area",
                   HandImage(0x80000000, 0x3000,
                                             {{0x80000000, 0x100}, {0x80000000 + OsImageFlashAreaSize - 0x80, 0x100}}),
                   "outside the OS image area"});
  std::vector<std::uint8_t> huge;
  AppendBinHeader(huge, 0x80000000, 0x3000);
  AppendBinRecord(huge, 0x80000000, std::vector<std::uint8_t>(0x10, 1));
  const std::uint8_t hugeHeader[12] = {0x00, 0x10, 0x00, 0x80, 0xF0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
  huge.insert(huge.end(), hugeHeader, hugeHeader + 12);
  huge.resize(huge.size() + 0x100, 0x42);
  AppendBinEndRecord(huge);
  cases.push_back({"huge record length", huge, "too long"});
  std::vector<std::uint8_t> signatureOnly = {'B', '0', '0', '0', 'F', 'F', '\n'};
  cases.push_back({"signature only", signatureOnly, "header"});
  // Well formed, yet the controller would not boot what they leave.
  cases.push_back({"no data record", HandImage(0x80000000, 0x3000, {}), "no data record"});
  cases.push_back({"first record at address 0", HandImage(0, 0x3000, {{0, 0x100}}), "no data record"});
  cases.push_back({"no ROM signature", HandImage(0x80000000, 0x3000, {{0x80000000, 0x100}}), "ROM signature"});
  std::vector<std::uint8_t> overlapping = good;  // the third record laid over the second
  const std::size_t third = 15 + 2 * (12 + 0x1000);
  overlapping[third + 1] = 0x18;  // address 0x80001800
  cases.push_back({"overlapping records", overlapping, "overlap"});
  return cases;
}

TEST_F(UpdatePageTest, FlashWhoseBlocksCrossTheAreasIsRefusedBeforeAnythingIsErased) {
  flashConfig.banks = {test::QuickBank(1, 4, 4, 8u << 20, 128u << 10)};  // 512 KiB erase blocks
  files.Put(kImage, BuildBinImage(kSmallImage));
  std::vector<std::uint8_t> before;
  Run([&] {
    before = WholeFlash();
    ShowUpdatePage();
    Browse(kImage);
    Driver().AnswerBox(IDOK);
    Write();
  });
  EXPECT_TRUE(WholeFlash() == before);
  EXPECT_EQ(flash->Stats().erases, 0u);
  EXPECT_EQ(Log().Reboots(), 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].text.find("do not line up"), std::string::npos) << Boxes()[0].text;
}

TEST_F(UpdatePageTest, DamagedImagesLeaveFlashByteForByteUnchanged) {
  const auto cases = DamagedImages();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    files.Put("\\CompactFlash\\bad" + std::to_string(i) + ".bin", cases[i].bytes);
  }
  PutFileBytes(OsImageFlashArea, BuildBinImage(kSmallImage));  // whatever the flash held before
  PutFileBytes(RegistryFlashArea, std::vector<std::uint8_t>(0x400, 0x12));
  std::vector<std::uint8_t> before;
  Run([&] {
    before = WholeFlash();
    ShowUpdatePage();
    for (std::size_t i = 0; i < cases.size(); ++i) {
      Browse("\\CompactFlash\\bad" + std::to_string(i) + ".bin");
      ASSERT_TRUE(Enabled(UpdatePage(), kWriteButton)) << cases[i].name;  // the signature is there
      Driver().AnswerBox(IDOK);
      Write();
      EXPECT_FALSE(Enabled(UpdatePage(), kWriteButton)) << cases[i].name;
      EXPECT_TRUE(Enabled(UpdatePage(), kBrowseButton)) << cases[i].name;
      EXPECT_EQ(Shown(UpdatePage(), kStatusLine), "") << cases[i].name;
    }
  });
  EXPECT_TRUE(WholeFlash() == before);
  EXPECT_EQ(flash->EraseCycles(OsImageFlashArea), 0u);
  EXPECT_EQ(flash->EraseCycles(RegistryFlashArea), 0u);
  EXPECT_EQ(Log().Reboots(), 0);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(boxes[i].caption, "ERROR");
    EXPECT_EQ(boxes[i].style, 16u);
    EXPECT_NE(boxes[i].text.find(cases[i].problem), std::string::npos) << cases[i].name << ": " << boxes[i].text;
    EXPECT_NE(boxes[i].text.find("has not been changed"), std::string::npos) << cases[i].name;
  }
  EXPECT_EQ(files.stillOpen(), 0);
}

TEST_F(UpdatePageTest, ImageGoneBeforeWriteLeavesFlashUnchanged) {
  files.Put(kImage, BuildBinImage(kSmallImage));
  PutFileBytes(RegistryFlashArea, std::vector<std::uint8_t>(0x400, 0x12));
  std::vector<std::uint8_t> before;
  Run([&] {
    before = WholeFlash();
    ShowUpdatePage();
    Browse(kImage);
    std::filesystem::remove(files.HostPath(kImage));  // the card was pulled
    Driver().AnswerBox(IDOK);
    Write();
  });
  EXPECT_TRUE(WholeFlash() == before);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].text.find("cannot be opened"), std::string::npos);
  EXPECT_EQ(Log().Reboots(), 0);
}

TEST_F(UpdatePageTest, RecordThatCannotBeProgrammedEndsWithoutARestart) {
  flashConfig.faults.programFailures.push_back(OsImageFlashArea + 0x18000);  // in the second record
  files.Put(kImage, BuildBinImage(kSmallImage));
  Run([&] {
    ShowUpdatePage();
    Browse(kImage);
    Driver().AnswerBox(IDOK);
    Write();
    EXPECT_EQ(Shown(UpdatePage(), kStatusLine), "ERROR: Flash failed");
    // The operator can write again at once, without restarting.
    EXPECT_TRUE(Enabled(UpdatePage(), kBrowseButton));
    EXPECT_TRUE(Enabled(UpdatePage(), kWriteButton));
    EXPECT_FALSE(Backend().WaitCursorShown());
  });
  EXPECT_EQ(Log().Reboots(), 0);
  EXPECT_FALSE(sdk->RebootRequested());
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].style, 16u);
  EXPECT_NE(boxes[0].text.find("Record 2 could not be written to flash at 0xBCA90000 in 6 attempts"),
            std::string::npos)
      << boxes[0].text;
  EXPECT_NE(boxes[0].text.find("has not been restarted"), std::string::npos);
  EXPECT_EQ(files.stillOpen(), 0);
}

TEST_F(UpdatePageTest, FailedEraseCheckStopsBeforeWritingAndWithoutRestart) {
  flashConfig.faults.eraseFailures.push_back({OsImageFlashArea + 0x200000, std::nullopt});
  PutFileBytes(OsImageFlashArea + 0x200000, std::vector<std::uint8_t>(0x10, 0x00));
  files.Put(kImage, BuildBinImage(kSmallImage));
  Run([&] {
    ShowUpdatePage();
    Browse(kImage);
    Driver().AnswerBox(IDOK);
    Write();
  });
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "Erase Flash didn't correct!!Please repeat your step again,and contact with Velmar's service if this "
            "message appear again.");
  EXPECT_EQ(boxes[0].ownerTemplateId, 0);  // application-level
  EXPECT_EQ(boxes[0].caption, "TalvonUtility");
  EXPECT_EQ(Log().Reboots(), 0);
  EXPECT_EQ(FlashBytes(*flash, OsImageFlashArea, 0x100), std::vector<std::uint8_t>(0x100, 0xFF));  // nothing written
}

}  // namespace
}  // namespace talvon::test
