// The System Configuration page on a simulated controller: what it shows
// after start-up, which modules it asks over the serial line, View Registry
// and Home.
#include <gtest/gtest.h>

#include "pages/info/system_info.h"
#include "platform/text.h"
#include "platform/templates/ids_132.h"
#include "support/page_test.h"

namespace talvon::test {
namespace {

constexpr int kSlotField = ids132::kFirstSlotField - 1;  // + slot number

class SystemInfoPage : public PageTest {
 protected:
  sim::SlotConfig& Slot(int n) { return config.slots[n - 1]; }
  std::string SlotShown(int n) { return Shown(InfoPage(), kSlotField + n); }
};

TEST_F(SystemInfoPage, ShowsTheControllerAsTheSdkAndTheModulesReportIt) {
  Run([&] {
    const WindowHandle page = InfoPage();
    EXPECT_EQ(SlotShown(1), "R-8017");
    EXPECT_EQ(SlotShown(2), "R-87055");  // asked over the serial line
    EXPECT_EQ(SlotShown(3), "R-8142");
    EXPECT_EQ(SlotShown(4), "R-8054");
    for (int n = 5; n <= 7; ++n) EXPECT_EQ(SlotShown(n), "R-8000") << "empty slot " << n;
    EXPECT_EQ(Shown(page, ids132::kSerialNumberField), "54 35 21 07 00 01 2A 9C");
    EXPECT_EQ(Shown(page, ids132::kMacAddressField), "02 : 1A : 7C : 00 : 3B : 5E");
    EXPECT_EQ(Shown(page, ids132::kFlashSizeField), "32M bytes");
    EXPECT_EQ(Shown(page, ids132::kOsVersionField), "Talvon CE 5.0 build 1400 (simulated)");
    EXPECT_EQ(Shown(page, ids132::kSdkVersionField), "TalvonSDK 2.3.0 (simulated)");
    EXPECT_EQ(Shown(page, ids132::kSdkFlashSizeField), "33554432 bytes");
    EXPECT_FALSE(Driver().Control(page, ids132::kSdkFlashSizeField)->visible);
  });
  // 10 ms per slot and the 100 ms wait for the one serial-bus module.
  EXPECT_GE(clock.NowMs(), 7u * 10 + 100);
}

TEST_F(SystemInfoPage, VisibleFlashSizeIsFixedWhateverTheSdkSays) {
  config.flashSize = 64 * 1024 * 1024 + 5;
  Run([&] {
    EXPECT_EQ(Shown(InfoPage(), ids132::kFlashSizeField), "32M bytes");
    EXPECT_EQ(Shown(InfoPage(), ids132::kSdkFlashSizeField), "67108869 bytes");
  });
}

TEST_F(SystemInfoPage, NoSlotQueryLeavesSlotFieldsEmptyAndFillsTheRest) {
  config.getSlotNo = 0x700;  // only the low byte counts
  Run([&] {
    for (int n = 1; n <= 7; ++n) EXPECT_EQ(SlotShown(n), "") << n;
    EXPECT_EQ(Shown(InfoPage(), ids132::kSerialNumberField), "54 35 21 07 00 01 2A 9C");
    EXPECT_EQ(Shown(InfoPage(), ids132::kSdkVersionField), "TalvonSDK 2.3.0 (simulated)");
  });
  EXPECT_EQ(backplane->SelectedSlot(), 0);  // nobody was asked
}

TEST_F(SystemInfoPage, OnlyTheExactSeriesTextAsksTheModule) {
  // Every module here would answer on the line if it were asked.
  const char* names[] = {"8000", "80001", "800", "", "8000 ", "9000"};
  for (int n = 1; n <= 6; ++n) {
    Slot(n).occupied = true;
    Slot(n).identifier = 10 + n;
    Slot(n).name = names[n - 1];
    Slot(n).busName = "BUS" + std::to_string(n);
  }
  Run([&] {
    EXPECT_EQ(SlotShown(1), "R-BUS1\r");
    for (int n = 2; n <= 6; ++n) EXPECT_EQ(SlotShown(n), "R-" + std::to_string(8010 + n)) << names[n - 1];
  });
}

TEST_F(SystemInfoPage, SerialBusModuleWithoutUsableReplyLeavesItsFieldEmpty) {
  Slot(2).reply = sim::BusReply::Silent;
  Slot(5) = Slot(4);
  Slot(5).name = ModuleSeriesText;
  Slot(5).busName = "77777";
  Slot(5).reply = sim::BusReply::NoExclamation;
  Slot(6) = Slot(5);
  Slot(6).reply = sim::BusReply::ZeroByte;
  Slot(6).zeroBytePosition = 2;
  Slot(7) = Slot(5);
  Slot(7).reply = sim::BusReply::Normal;
  Run([&] {
    EXPECT_EQ(SlotShown(2), "");
    EXPECT_EQ(SlotShown(5), "");
    EXPECT_EQ(SlotShown(6), "");
    EXPECT_EQ(SlotShown(7), "R-77777");  // the next module is still asked
    EXPECT_EQ(SlotShown(4), "R-8054");
  });
}

TEST_F(SystemInfoPage, NamesWithLettersBeyondAsciiAreShownAsTheModuleSendsThem) {
  Slot(2).busName = "R\u00e9gl\u00e9";  // five characters, one Latin-1 byte each on the line
  Run([&] { EXPECT_EQ(SlotShown(2), "R-R\u00e9gl\u00e9"); });
}

TEST_F(SystemInfoPage, GarbledNameIsShownAsTheBytesCame) {
  Slot(2).reply = sim::BusReply::Garbled;
  Run([&] {
    std::u16string expected = u"R-";
    for (char c : std::string("87055")) expected.push_back(static_cast<unsigned char>(c ^ 0xA5));
    EXPECT_EQ(SlotShown(2), Utf16ToUtf8(expected));
  });
}

TEST_F(SystemInfoPage, ViewRegistryStartsTheViewerSuspendedAndLetsItGo) {
  Run([&] {
    ShowInformation();
    ASSERT_EQ(Driver().Click(InfoPage(), ids132::kViewRegistry), DriverResult::Done);
    ASSERT_EQ(Driver().Click(InfoPage(), ids132::kViewRegistry), DriverResult::Done);
  });
  ASSERT_EQ(processes.starts.size(), 2u);
  EXPECT_EQ(processes.starts[0].path, "\\windows\\RegView.exe");
  EXPECT_TRUE(processes.starts[0].suspended);
  EXPECT_EQ(processes.resumed, (std::vector<std::uint32_t>{77, 77}));
  EXPECT_EQ(Session().info.registryViewer.processId, 1002u);  // the last start
  EXPECT_TRUE(Log().MessageBoxes().empty());
}

TEST_F(SystemInfoPage, ViewerThatCannotStartIsReported) {
  processes.fail = true;
  Run([&] {
    ShowInformation();
    Driver().AnswerBox(IDOK);
    ASSERT_EQ(Driver().Click(InfoPage(), ids132::kViewRegistry), DriverResult::Done);
  });
  const auto boxes = Log().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "CreateProcess failed");
  EXPECT_EQ(boxes[0].caption, "Save Registry");
  EXPECT_EQ(boxes[0].style, 0u);
  EXPECT_EQ(boxes[0].ownerTemplateId, 132);
  EXPECT_TRUE(processes.resumed.empty());
}

TEST_F(SystemInfoPage, HomeButtonAndHomeIconBothHideTheSheetAndKeepTheFields) {
  Run([&] {
    const WindowHandle sheet = Session().NoRebootSheet().Handle();
    for (int control : {ids132::kHomeButton, ids132::kHomeIcon}) {
      ShowInformation();
      ASSERT_TRUE(Backend().IsOnScreen(sheet));
      ASSERT_EQ(Driver().Click(InfoPage(), control), DriverResult::Done);
      EXPECT_FALSE(Backend().IsWindowVisible(sheet)) << control;
    }
    ShowInformation();
    EXPECT_EQ(SlotShown(2), "R-87055");
  });
}

TEST(SystemInfoTexts, FormatsAsThePanelShowsThem) {
  const std::uint8_t bytes[8] = {0x00, 0x0A, 0xFF, 0x10, 0x01, 0xAB, 0xCD, 0xEF};
  EXPECT_EQ(SerialNumberText(bytes), "00 0A FF 10 01 AB CD EF");
  EXPECT_EQ(MacAddressText(bytes), "00 : 0A : FF : 10 : 01 : AB");
  EXPECT_EQ(SdkFlashSizeText(-1), "-1 bytes");
  EXPECT_EQ(ModuleFieldText(-8000), "R-0");
  EXPECT_EQ(ModuleFieldText(2147483647), "R--2147475649");
  const char16_t unterminated[3] = {u'O', u'S', u'7'};
  EXPECT_EQ(WideBufferText(unterminated, 3), "OS7");
}

}  // namespace
}  // namespace talvon::test
