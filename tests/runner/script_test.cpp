#include "runner/script.h"

#include <gtest/gtest.h>

#include "platform/headless/headless_driver.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "runner/transcript_lines.h"

namespace talvon::runner {
namespace {

TEST(ScriptParsing, EveryCommandWithItsArguments) {
  Script s;
  std::string error;
  ASSERT_TRUE(
      ParseScript("# comment\n\nclick 1076\ntext 1017 \"\\Windows\\a.exe\"\nselect 1042 3\n"
                  "slider 1068 -4\ntab 2\ntree \"Com 5:\"\nanswer yes\nanswer cancel\n"
                  "file \"\\CompactFlash\\nk.bin\"\nfile cancel\nwait 500\nprint 1047\nhome\ninfo\r\n"
                  "  config  \n",
                  &s, &error))
      << error;
  ASSERT_EQ(s.commands.size(), 15u);
  EXPECT_EQ(s.commands[0].kind, CommandKind::Click);
  EXPECT_EQ(s.commands[0].id, 1076);
  EXPECT_EQ(s.commands[0].line, 3);
  EXPECT_EQ(s.commands[1].text, "\\Windows\\a.exe");
  EXPECT_EQ(s.commands[2].number, 3);
  EXPECT_EQ(s.commands[3].number, -4);
  EXPECT_EQ(s.commands[5].text, "Com 5:");
  EXPECT_EQ(s.commands[6].number, IDYES);
  EXPECT_EQ(s.commands[7].number, IDCANCEL);
  EXPECT_EQ(s.commands[8].kind, CommandKind::File);
  EXPECT_EQ(s.commands[8].text, "\\CompactFlash\\nk.bin");  // a backslash is never an escape
  EXPECT_EQ(s.commands[9].kind, CommandKind::FileCancel);
  EXPECT_EQ(s.commands[10].number, 500);
  EXPECT_EQ(s.commands[13].kind, CommandKind::Info);
  EXPECT_EQ(s.commands[14].kind, CommandKind::Config);
}

TEST(ScriptParsing, QuotedTextRunsToTheLastQuote) {
  Script s;
  std::string error;
  ASSERT_TRUE(ParseScript("text 1051 \"say \"hi\" now\"\ntext 1052 \"\"", &s, &error)) << error;
  EXPECT_EQ(s.commands[0].text, "say \"hi\" now");
  EXPECT_EQ(s.commands[1].text, "");
}

TEST(ScriptParsing, BadLinesAreNamedByNumber) {
  const char* bad[] = {"clik 1076",      "click",
                       "click 10x",      "text 1017 unquoted",
                       "answer maybe",   "select 1042",
                       "select 1042 -1", "tab",
                       "wait -5",        "wait 99999999999",
                       "home now",       "file \"\"",
                       "tree Com",       "click 1076 1077",
                       "print"};
  for (const char* line : bad) {
    Script s;
    std::string error;
    EXPECT_FALSE(ParseScript(std::string("home\n") + line + "\n", &s, &error)) << line;
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
  }
}

TEST(TranscriptLines, BoxesPrintsAndTreesInTheirStableForm) {
  MessageBoxEvent box{
      129, "System Reboot", "All settings you changed will take effect\n after system reboot, reboot now ?", 0x34, IDNO,
      true};
  EXPECT_EQ(EventLine(box),
            "box System Reboot | All settings you changed will take effect\\n after system reboot, reboot now ? | 52 "
            "-> no");
  box.answered = false;
  EXPECT_EQ(EventLine(box).rfind("unanswered box System Reboot | ", 0), 0u);
  EXPECT_EQ(EventLine(ProgramStartEvent{"\\windows\\RegView.exe", true, false}), "start \\windows\\RegView.exe");
  EXPECT_EQ(EventLine(ProgramStartEvent{"\\windows\\missing.exe", false, false}), "");
  EXPECT_EQ(EventLine(RebootEvent{}), "reboot");
  EXPECT_EQ(PrintLine(1114, "Change To  \nNew Module"), "print 1114 Change To  \\nNew Module");
  EXPECT_EQ(TreeLineText(1113, TreeLine{2, 16, 16, "SYSINTR:2c", false}), "tree 1113 2 16 16 SYSINTR:2c");
}

}  // namespace
}  // namespace talvon::runner

namespace talvon::runner {
namespace {

TEST(ScriptParsing, RegTakesAKeyAndAValueNameBothQuoted) {
  Script s;
  std::string error;
  ASSERT_TRUE(ParseScript("reg \"Comm\\HTTPD\\VROOTS\\/\" \"\"\nreg \"Velmar\" \"Mem \"Division\"\"\n", &s, &error))
      << error;
  EXPECT_EQ(s.commands[0].kind, CommandKind::Reg);
  EXPECT_EQ(s.commands[0].text, "Comm\\HTTPD\\VROOTS\\/");
  EXPECT_EQ(s.commands[0].name, "");
  EXPECT_EQ(s.commands[1].name, "Mem \"Division\"");
  for (const char* line : {"reg \"Velmar\"", "reg Velmar \"MemDivision\"", "reg \"\" \"MemDivision\"", "reg"}) {
    EXPECT_FALSE(ParseScript(line, &s, &error)) << line;
  }
}

TEST(TranscriptLines, DivisionRequestsAndRegistryValues) {
  EXPECT_EQ(EventLine(MemoryDivisionEvent{5104, 0}), "division 5104 -> changed");
  EXPECT_EQ(EventLine(MemoryDivisionEvent{992, 3}), "division 992 -> refused 3");
  EXPECT_EQ(RegistryValueText(REG_DWORD, {0xF0, 0x13, 0, 0}), "REG_DWORD 4 5104");
  EXPECT_EQ(RegistryValueText(REG_DWORD, {1, 2}), "REG_DWORD 2 0102");  // not a dword's size: its bytes
  EXPECT_EQ(RegistryValueText(REG_SZ, {'a', 0, '\n', 0, 0, 0}), "REG_SZ 6 a\\n");
  EXPECT_EQ(RegistryValueText(REG_BINARY, {}), "REG_BINARY 0");
  EXPECT_EQ(RegistryValueText(99, {0xAB}), "99 1 ab");
}

}  // namespace
}  // namespace talvon::runner
