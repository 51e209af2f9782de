#include "platform/dialog_template.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_130.h"
#include "platform/templates/ids_131.h"
#include "platform/templates/ids_132.h"
#include "platform/templates/ids_133.h"
#include "platform/templates/ids_134.h"
#include "platform/templates/ids_145.h"
#include "platform/templates/ids_237.h"

namespace talvon {
namespace {

const DialogItem& Item(int templateId, int itemId) {
  const DialogTemplate* t = FindDialogTemplate(templateId);
  EXPECT_NE(t, nullptr);
  const DialogItem* item = t->FindItem(itemId);
  EXPECT_NE(item, nullptr) << "template " << templateId << " item " << itemId;
  static const DialogItem none;
  return item != nullptr ? *item : none;
}

void ExpectRect(const DialogItem& item, int x, int y, int w, int h) {
  EXPECT_EQ(item.x, x) << item.id;
  EXPECT_EQ(item.y, y) << item.id;
  EXPECT_EQ(item.w, w) << item.id;
  EXPECT_EQ(item.h, h) << item.id;
}

TEST(DialogTemplates, EveryTemplateIsKnownWithUniqueControlIds) {
  for (int id : AllDialogTemplateIds()) {
    const DialogTemplate* t = FindDialogTemplate(id);
    ASSERT_NE(t, nullptr) << id;
    EXPECT_EQ(t->id, id);
    EXPECT_EQ(t->fontName, "System");
    std::set<int> ids;
    for (const DialogItem& item : t->items) {
      if (item.id == IDC_STATIC) continue;
      EXPECT_TRUE(ids.insert(item.id).second) << "template " << id << " repeats " << item.id;
      EXPECT_GT(item.w, 0);
      EXPECT_GT(item.h, 0);
    }
  }
  EXPECT_EQ(FindDialogTemplate(100), nullptr);
  EXPECT_EQ(FindDialogTemplate(102)->FindItem(IDC_STATIC), nullptr);
}

TEST(DialogTemplates, HomeScreenHasTwoTapPicturesAndFourHiddenFrameStores) {
  const DialogTemplate& t = *FindDialogTemplate(102);
  EXPECT_EQ(t.caption, "TalvonUtility");
  EXPECT_EQ(t.fontSize, 8);
  EXPECT_EQ(t.style, 0x90C800C0u);
  EXPECT_EQ(t.exStyle, 0x80040000u);
  EXPECT_EQ(t.cx, 214);
  EXPECT_EQ(t.cy, 188);
  ASSERT_EQ(t.items.size(), 9u);
  EXPECT_EQ(t.items[0].id, ids102::kLowerPicture);  // template order is stacking order
  ExpectRect(Item(102, ids102::kLowerPicture), 98, 115, 32, 30);
  EXPECT_EQ(Item(102, ids102::kLowerPicture).bitmapId, 189);
  EXPECT_EQ(Item(102, ids102::kLowerPicture).style, 0x5000010Eu);
  EXPECT_TRUE(Item(102, ids102::kUpperPicture).Notifies());
  EXPECT_EQ(Item(102, ids102::kUpperPicture).bitmapId, 191);
  ExpectRect(Item(102, ids102::kFrameStore1), 1, 157, 15, 13);
  const int frameBitmaps[] = {189, 190, 191, 192};
  for (int n = 0; n < 4; ++n) {
    const DialogItem& store = Item(102, ids102::kFrameStore1 + n);
    EXPECT_FALSE(store.Visible());
    EXPECT_FALSE(store.Notifies());
    EXPECT_EQ(store.bitmapId, frameBitmaps[n]);
  }
  EXPECT_EQ(t.items[3].bitmapId, 188);
  ExpectRect(t.items[3], 37, 16, 171, 158);
}

TEST(DialogTemplates, SheetsAsTheResourcesDescribe) {
  const DialogTemplate& config = *FindDialogTemplate(129);
  EXPECT_EQ(config.style, 0x80C000C0u);
  EXPECT_FALSE(config.Visible());
  EXPECT_EQ(config.caption, "");
  EXPECT_EQ(config.cx, 395);
  EXPECT_EQ(config.cy, 283);
  EXPECT_EQ(Item(129, ids129::kConfirmRegistryButton).text, "        Confirm Registry");
  ExpectRect(Item(129, ids129::kConfirmRegistryButton), 233, 248, 90, 24);
  EXPECT_EQ(Item(129, ids129::kHomeButton).text, "     Home");
  EXPECT_EQ(Item(129, ids129::kSaveIcon).style, 0x5000010Eu);
  EXPECT_EQ(Item(129, ids129::kSaveIcon).bitmapId, 214);
  EXPECT_EQ(Item(129, ids129::kHomeIcon).bitmapId, 196);
  EXPECT_EQ(Item(129, ids129::kTabControl).cls, ControlClass::TabControl);
  ExpectRect(Item(129, ids129::kTabControl), 0, 0, 394, 239);
  EXPECT_EQ(config.items[4].bitmapId, 213);
  EXPECT_EQ(config.items[5].style, 0x50000007u);

  const DialogTemplate& info = *FindDialogTemplate(130);
  EXPECT_EQ(info.caption, "Dialog");
  ASSERT_EQ(info.items.size(), 1u);
  ExpectRect(Item(130, ids130::kTabControl), 0, 0, 352, 256);
  EXPECT_EQ(Item(130, ids130::kTabControl).text, "Tab1");
}

TEST(DialogTemplates, PagesAreHiddenChildDialogs) {
  for (int id : {131, 132, 133, 134, 237}) EXPECT_EQ(FindDialogTemplate(id)->style, 0x40000040u) << id;
  EXPECT_EQ(FindDialogTemplate(145)->style, 0x44000040u);
  EXPECT_EQ(FindDialogTemplate(134)->cx, 464);
  EXPECT_EQ(FindDialogTemplate(237)->cx, 395);
}

TEST(DialogTemplates, InformationPageRowsFollowTheirFormulas) {
  const DialogTemplate& t = *FindDialogTemplate(132);
  ExpectRect(Item(132, ids132::kFirstSlotField + 6), 47, 19 + 17 * 6, 50, 12);  // slot 7
  int labels = 0;
  for (const DialogItem& item : t.items) {
    if (item.text == "Slot 7 :") {
      ExpectRect(item, 15, 122, 25, 8);
      ++labels;
    }
    if (item.text == "OS Image Size :") {
      EXPECT_EQ(item.style, 0x40020000u);
      ++labels;
    }
    if (item.text == "Talvon SDK Version :") {
      EXPECT_EQ(item.style, 0x50020000u);
    }
  }
  EXPECT_EQ(labels, 2);
  EXPECT_EQ(Item(132, ids132::kHomeButton).text, "        Home");
  EXPECT_FALSE(Item(132, ids132::kSdkFlashSizeField).Visible());
  EXPECT_FALSE(Item(132, ids132::kConfigurationTool).Visible());
  EXPECT_TRUE(Item(132, ids132::kHomeIcon).Notifies());
}

TEST(DialogTemplates, UpdatePageControlsCarryTheirExactStyles) {
  EXPECT_EQ(Item(133, ids133::kPathField).style, 0x50810880u);
  EXPECT_EQ(Item(133, ids133::kWriteButton).style, 0x58010000u);
  EXPECT_TRUE(Item(133, ids133::kWriteButton).Disabled());
  EXPECT_EQ(Item(133, ids133::kProgressBar).cls, ControlClass::Progress);
  EXPECT_EQ(Item(133, ids133::kProgressBar).style, 0x50800001u);
  ExpectRect(Item(133, ids133::kStatusLine), 92, 163, 244, 17);
  EXPECT_EQ(Item(133, ids133::kWriteButton).text, "Write to Flash Now");
}

TEST(DialogTemplates, GeneralSettingPageCombosSlidersAndHiddenStores) {
  const std::vector<std::string> depths{"2", "4", "8", "16"};
  EXPECT_EQ(Item(134, ids134::kBppCombo).comboItems, depths);
  EXPECT_EQ(Item(134, ids134::kFreqCombo).comboItems.back(), "75 Hz");
  EXPECT_FALSE(Item(134, ids134::kResolutionList).Visible());
  EXPECT_EQ(Item(134, ids134::kResolutionSlider).cls, ControlClass::Trackbar);
  ExpectRect(Item(134, ids134::kMemorySlider), 192, 64, 161, 22);
  EXPECT_NE(Item(134, ids134::kMemorySlider).style & TBS_ENABLESELRANGE, 0u);
  EXPECT_NE(Item(134, ids134::kMemorySlider).style & TBS_TOP, 0u);
  EXPECT_EQ(Item(134, ids134::kPreview1024).bitmapId, 141);
  EXPECT_FALSE(Item(134, ids134::kPreview800).Visible());
  EXPECT_TRUE(Item(134, ids134::kUsbIcon).Notifies());
  EXPECT_EQ(Item(134, ids134::kSerialButton).text, "      RS232");
  EXPECT_EQ(Item(134, ids134::kRestoreAll).text, "Restore All ");
  EXPECT_NE(Item(134, ids134::kFactoryButton).style & BS_MULTILINE, 0u);
}

TEST(DialogTemplates, AutoRunServerAndNewCardPages) {
  for (int n = 1; n <= 10; ++n) {
    const DialogItem& edit = Item(131, ids131::ProgramEdit(n));
    EXPECT_EQ(edit.style, 0x50810080u);
    ExpectRect(edit, 164, 16 + 18 * (n - 1), 213, 14);
  }
  for (const DialogItem& item : FindDialogTemplate(131)->items) {
    if (item.text == "Program 10:") {
      EXPECT_EQ(item.w, 42);
    }
    if (item.text == "Program 9:") {
      EXPECT_EQ(item.w, 38);
    }
  }
  EXPECT_TRUE(Item(131, ids131::BrowseButton).Disabled());

  EXPECT_EQ(Item(145, ids145::FtpServerCheck).kind, ControlKind::CheckBox);
  EXPECT_NE(Item(145, ids145::PasswordEdit).style & ES_PASSWORD, 0u);
  EXPECT_TRUE(Item(145, ids145::ConfirmPasswordEdit).Disabled());
  EXPECT_FALSE(Item(145, ids145::HomeButton).Visible());
  EXPECT_EQ(Item(145, ids145::HomeButton).text, "     Home");
  EXPECT_TRUE(Item(145, ids145::HomePicture).Notifies());
  EXPECT_FALSE(Item(145, ids145::HomePicture).Visible());

  EXPECT_EQ(Item(237, ids237::kChangeToNewModule).text, "Change To  \nNew Module");
  EXPECT_EQ(Item(237, ids237::kResourceTree).cls, ControlClass::TreeView);
  EXPECT_EQ(Item(237, ids237::kFirstSlotLabel).kind, ControlKind::CentredText);
  EXPECT_EQ(Item(237, ids237::kFirstSlotLabel + 6).text, "Slot7");
  EXPECT_FALSE(Item(237, ids237::kRemovePorts).Visible());
  EXPECT_FALSE(Item(237, ids237::kSlotScan).Visible());
  EXPECT_EQ(Item(237, ids237::kInformationLine).text, "Static");
}

}  // namespace
}  // namespace talvon
