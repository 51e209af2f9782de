// Scripted runs of the Auto-execution page on a simulated controller: the
// programs saved come back after a reboot, emptied values stay present, and
// a path that would not read back at the next start is refused.
#include <gtest/gtest.h>

#include "platform/templates/ids_131.h"
#include "runner/script_runner.h"
#include "script_fixture.h"
#include "script_ids.h"

namespace talvon::test {
namespace {

using namespace ids131;

using AutoRunScript = HeadlessScriptTest;

TEST_F(AutoRunScript, ProgramsComeBackAfterARebootAndAnEmptiedFieldStaysAnEmptyValue) {
  PutFile("CompactFlash/tools/logger.exe");
  {
    // A start-up value stored as a dword by some other tool.
    sim::SimRegistry& registry = Persisted().Registry();
    sim::RegistryKey* init = registry.Store().Find("Init");
    ASSERT_NE(init, nullptr);
    ASSERT_EQ(init->SetValue("Launch87", REG_DWORD, std::vector<std::uint8_t>{0x41, 0, 0, 0}), ERROR_SUCCESS);
    ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    ShutDown();
  }
  const int code = RunScript(std::string(
                                 "config\n"
                                 "tab 2\n"
                                 "print " + Id(ProgramEdit(8)) + "\n"
                                 "text " + Id(ProgramEdit(1)) + " \"\\CompactFlash\\Velmar\\Startup\\"
                                 "LumexRuntime.exe\"\n"
                                 "text " + Id(ProgramEdit(2)) + " \"\"\n"
                                 "click " + Id(ProgramEdit(4)) + "\n"
                                 "file \"\\CompactFlash\\tools\\logger.exe\"\n"
                                 "click " + Id(BrowseButton) + "\n"
                                 "click " + Id(ConfirmSettingButton) + "\n") +
                             kFlushAndReboot +
                             "config\n"
                             "tab 2\n"
                             "print " + Id(ProgramEdit(1)) + "\n"
                             "print " + Id(ProgramEdit(2)) + "\n"
                             "print " + Id(ProgramEdit(4)) + "\n"
                             "print " + Id(ProgramEdit(8)) + "\n");
  ASSERT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(), std::string("print " + Id(ProgramEdit(8)) + " A\n") + kFlushAndRebootLines +
                           "print " + Id(ProgramEdit(1)) + " \\CompactFlash\\Velmar\\Startup\\LumexRuntime.exe\n"
                           "print " + Id(ProgramEdit(2)) + " \n"
                           "print " + Id(ProgramEdit(4)) + " \\CompactFlash\\tools\\logger.exe\n"
                           "print " + Id(ProgramEdit(8)) + " A\n");
  const sim::RegistryValue* emptied = Value("Init", "Launch81");
  ASSERT_NE(emptied, nullptr);
  EXPECT_EQ(emptied->type, REG_SZ);
  EXPECT_EQ(emptied->data, (std::vector<std::uint8_t>{0, 0}));
  EXPECT_EQ(Value("Init", "Launch87")->type, REG_SZ);
  EXPECT_EQ(Text("Init", "Launch87"), "A");
  EXPECT_EQ(Text("Init", "Launch83"), "\\CompactFlash\\tools\\logger.exe");
}

TEST_F(AutoRunScript, A199CharacterPathSurvivesARebootAnd200AreRefused) {
  const std::string fits = "\\CompactFlash\\" + std::string(181, 'p') + ".exe";  // 199 characters
  const std::string tooLong = "\\CompactFlash\\" + std::string(182, 'p') + ".exe";
  ASSERT_EQ(fits.size(), 199u);
  const int code = RunScript("config\n"
                             "tab 2\n"
                             "text " + Id(ProgramEdit(9)) + " \"" + fits + "\"\n"
                             "text " + Id(ProgramEdit(10)) + " \"" + tooLong + "\"\n"
                             "answer ok\n"
                             "click " + Id(ConfirmSettingButton) + "\n" +
                             kFlushAndReboot +
                             "config\n"
                             "tab 2\n"
                             "print " + Id(ProgramEdit(9)) + "\n"
                             "print " + Id(ProgramEdit(10)) + "\n");
  ASSERT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "box Auto-Execute | Program 10: the path is 200 characters or longer and cannot be started at boot,Please "
            "choose a program with a shorter path. Program 10 has not been saved. | 48 -> ok\n" +
                std::string(kFlushAndRebootLines) + "print " + Id(ProgramEdit(9)) + " " + fits + "\n" +
                "print " + Id(ProgramEdit(10)) + " \n");
  EXPECT_EQ(Text("Init", "Launch88"), fits);
  EXPECT_EQ(Value("Init", "Launch89"), nullptr);
}

}  // namespace
}  // namespace talvon::test
