// The Auto-execution page on a simulated controller: the ten Launch values
// shown and written, Browse for the remembered field, and the values that
// cannot be read or would not read back.
#include <gtest/gtest.h>

#include "pages/autorun/auto_run_page.h"
#include "platform/templates/ids_131.h"
#include "support/sim_page_test.h"

namespace talvon::test {
namespace {

using namespace ids131;

constexpr int kAutoRunTab = 2;

std::string Launch(int n) { return "Launch" + std::to_string(79 + n); }

class AutoRunPageTest : public SimPageTest {};

TEST_F(AutoRunPageTest, FieldsShowOnlyTheBytesEachValueHolds) {
  SetText("Init", Launch(1), "\\Windows\\a-much-longer-program-path.exe");
  SetValue("Init", Launch(2), REG_BINARY, {'B', 0});  // shorter, no terminator
  SetDword("Init", Launch(3), 0x43);
  SetValue("Init", Launch(4), REG_SZ, std::vector<std::uint8_t>(402, 'x'));  // too large to read
  RemoveValue("Init", Launch(5));
  Run([&] {
    const WindowHandle page = ShowTab(kAutoRunTab);
    EXPECT_EQ(Shown(page, ProgramEdit(1)), "\\Windows\\a-much-longer-program-path.exe");
    EXPECT_EQ(Shown(page, ProgramEdit(2)), "B");
    EXPECT_EQ(Shown(page, ProgramEdit(3)), "C");
    EXPECT_EQ(Shown(page, ProgramEdit(4)), "");
    EXPECT_EQ(Shown(page, ProgramEdit(5)), "");
  });
  EXPECT_TRUE(boxes.empty());
}

TEST_F(AutoRunPageTest, ConfirmWritesAllTenAsTextKeepingUnreadValuesAndDepends) {
  const std::vector<std::uint8_t> oversized(402, 'x');
  SetValue("Init", Launch(4), REG_SZ, oversized);
  SetValue("Init", Launch(6), REG_SZ, oversized);
  SetDword("Init", Launch(7), 0x44);
  const std::vector<std::uint8_t> depend = Value("Init", "Depend80")->data;
  Run([&] {
    const WindowHandle page = ShowTab(kAutoRunTab);
    ASSERT_EQ(Driver().TypeText(page, ProgramEdit(2), ""), DriverResult::Done);
    ASSERT_EQ(Driver().TypeText(page, ProgramEdit(6), "\\Windows\\new.exe"), DriverResult::Done);
    ASSERT_EQ(Driver().Click(page, ConfirmSettingButton), DriverResult::Done);
  });
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(flushes, 0);
  for (int n = 1; n <= 10; ++n) {
    const sim::RegistryValue* value = Value("Init", Launch(n));
    ASSERT_NE(value, nullptr) << n;
    if (n != 4) {
      EXPECT_EQ(value->type, REG_SZ) << n;
    }
  }
  EXPECT_EQ(Value("Init", Launch(2))->data, (std::vector<std::uint8_t>{0, 0}));
  EXPECT_EQ(Value("Init", Launch(4))->data, oversized);  // unread and untouched: kept
  EXPECT_EQ(Text("Init", Launch(6)), "\\Windows\\new.exe");
  EXPECT_EQ(Text("Init", Launch(7)), "D");
  EXPECT_EQ(Value("Init", "Depend80")->data, depend);
  EXPECT_EQ(Value("Init", "Depend81"), nullptr);
}

TEST_F(AutoRunPageTest, ExpandAndMultiStringValuesLeftAloneKeepTheirTypeAndData) {
  const std::vector<std::uint8_t> expand = ToRegSz("%WINDIR%\\agent.exe");
  std::vector<std::uint8_t> multi = ToRegSz("\\Windows\\first.exe");
  const std::vector<std::uint8_t> second = ToRegSz("\\Windows\\second.exe");
  multi.insert(multi.end(), second.begin(), second.end());
  multi.insert(multi.end(), {0, 0});
  SetValue("Init", Launch(3), REG_EXPAND_SZ, expand);
  SetValue("Init", Launch(4), REG_MULTI_SZ, multi);
  SetValue("Init", Launch(5), REG_EXPAND_SZ, expand);
  SetValue("Init", Launch(6), REG_BINARY, ToRegSz("\\Windows\\raw.exe"));
  Run([&] {
    const WindowHandle page = ShowTab(kAutoRunTab);
    EXPECT_EQ(Shown(page, ProgramEdit(3)), "%WINDIR%\\agent.exe");
    EXPECT_EQ(Shown(page, ProgramEdit(4)), "\\Windows\\first.exe");
    ASSERT_EQ(Driver().TypeText(page, ProgramEdit(5), "\\Windows\\typed.exe"), DriverResult::Done);
    ASSERT_EQ(Driver().Click(page, ConfirmSettingButton), DriverResult::Done);
  });
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Value("Init", Launch(3))->type, REG_EXPAND_SZ);
  EXPECT_EQ(Value("Init", Launch(3))->data, expand);
  EXPECT_EQ(Value("Init", Launch(4))->type, REG_MULTI_SZ);
  EXPECT_EQ(Value("Init", Launch(4))->data, multi);
  // What the operator typed, and a type the field shows whole, are written as text.
  EXPECT_EQ(Value("Init", Launch(5))->type, REG_SZ);
  EXPECT_EQ(Text("Init", Launch(5)), "\\Windows\\typed.exe");
  EXPECT_EQ(Value("Init", Launch(6))->type, REG_SZ);
  EXPECT_EQ(Text("Init", Launch(6)), "\\Windows\\raw.exe");
}

TEST_F(AutoRunPageTest, BrowseFillsTheRememberedFieldOnceAfterEachFocus) {
  PutFile("CompactFlash/tool.exe");
  Run([&] {
    const WindowHandle page = ShowTab(kAutoRunTab);
    EXPECT_FALSE(Enabled(page, BrowseButton));
    ASSERT_EQ(Driver().Click(page, ProgramEdit(4)), DriverResult::Done);
    EXPECT_TRUE(Enabled(page, BrowseButton));
    Driver().CancelFile();
    ASSERT_EQ(Driver().Click(page, BrowseButton), DriverResult::Done);
    EXPECT_TRUE(Enabled(page, BrowseButton));  // a cancel changes nothing
    Driver().AnswerFile("\\CompactFlash\\tool.exe");
    ASSERT_EQ(Driver().Click(page, BrowseButton), DriverResult::Done);
    EXPECT_EQ(Shown(page, ProgramEdit(4)), "\\CompactFlash\\tool.exe");
    EXPECT_EQ(Shown(page, ProgramEdit(1)), "\\Windows\\VelmarAgent.exe");
    EXPECT_EQ(Driver().Click(page, BrowseButton), DriverResult::Disabled);
    EXPECT_EQ(Session().autoRun.rememberedField, 3);
  });
  ASSERT_EQ(fileDialogs.size(), 2u);
  EXPECT_EQ(fileDialogs[1].filter, "ALL Files(*.*)|*.*");
  EXPECT_EQ(fileDialogs[1].flags, 0x1800u);
}

TEST_F(AutoRunPageTest, EachFailedWriteShowsItsOwnBoxInFieldOrder) {
  failSet = {"launch80", "launch81", "launch82", "launch83", "launch84",
             "launch85", "launch86", "launch87", "launch88", "launch89"};
  Run([&] {
    const WindowHandle page = ShowTab(kAutoRunTab);
    ASSERT_EQ(Driver().TypeText(page, ProgramEdit(3), std::string(200, 'p')), DriverResult::Done);
    for (int i = 0; i < 10; ++i) Driver().AnswerBox(IDOK);
    ASSERT_EQ(Driver().Click(page, ConfirmSettingButton), DriverResult::Done);
  });
  ASSERT_EQ(boxes.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    if (i == 2) continue;
    EXPECT_EQ(boxes[i].text, "AutoRun RegSetValueEx Failed") << i;
    EXPECT_EQ(boxes[i].caption, "Auto-Execute");
    EXPECT_EQ(boxes[i].style, 0u);
  }
  EXPECT_NE(boxes[2].text.find("Program 3"), std::string::npos) << boxes[2].text;
}

TEST_F(AutoRunPageTest, MissingInitKeyShowsEmptyFieldsAndRefusesToSave) {
  RemoveKey("Init");
  Run([&] {
    const WindowHandle page = ShowTab(kAutoRunTab);
    EXPECT_EQ(Shown(page, ProgramEdit(1)), "");
    Driver().AnswerBox(IDOK);
    ASSERT_EQ(Driver().Click(page, ConfirmSettingButton), DriverResult::Done);
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "RegOpenKeyEx Failed");
  EXPECT_EQ(boxes[0].caption, "Add Auto-run");
  EXPECT_EQ(Store().Find("Init"), nullptr);
}

}  // namespace
}  // namespace talvon::test
