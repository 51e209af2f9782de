// The Launch values written and read back straight on a simulated
// controller's registry: what one save writes, the next start must read.
#include <gtest/gtest.h>

#include "pages/autorun/auto_run_programs.h"
#include "support/sim_page_test.h"

namespace talvon::test {
namespace {

using AutoRunProgramsTest = SimPageTest;

TEST_F(AutoRunProgramsTest, TheLongestTextReadsBackAndOneMoreIsRefusedLeavingTheStoredValue) {
  Registry& registry = Controller().GetPlatform().registry;
  SetText("Init", "Launch81", "\\Windows\\old.exe");
  const sim::RegistryValue before = *Value("Init", "Launch81");
  // 199 characters in 200 bytes of UTF-8: the limit counts characters.
  const std::string longest = std::string(198, 'p') + "\u00e9";
  std::array<std::optional<std::string>, AutoRunProgramCount> texts{};
  texts[0] = longest;
  texts[1] = std::string(200, 'p');
  texts[3] = "";

  const AutoRunSave save = SaveAutoRunPrograms(registry, texts);
  ASSERT_TRUE(save.keyOpened);
  EXPECT_EQ(save.fields[0], ProgramSave::Written);
  EXPECT_EQ(save.fields[1], ProgramSave::TooLong);
  EXPECT_EQ(save.fields[2], ProgramSave::Kept);
  EXPECT_EQ(save.fields[3], ProgramSave::Written);
  EXPECT_EQ(Value("Init", "Launch81")->type, before.type);
  EXPECT_EQ(Value("Init", "Launch81")->data, before.data);

  const AutoRunLoad load = LoadAutoRunPrograms(registry);
  EXPECT_EQ(load.fields[0].text, longest);
  EXPECT_FALSE(load.fields[0].keepUnlessEdited);
  EXPECT_EQ(load.fields[1].text, "\\Windows\\old.exe");
  EXPECT_EQ(load.fields[3].text, "");
  EXPECT_NE(Value("Init", "Launch83"), nullptr);  // an empty text is a value, never a deletion
}

}  // namespace
}  // namespace talvon::test
