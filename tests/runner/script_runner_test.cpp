// Scripted runs end to end: the utility on a fake controller, driven by a
// script, judged by its transcript.
#include "runner/script_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_131.h"
#include "platform/templates/ids_132.h"
#include "platform/templates/ids_133.h"
#include "platform/templates/ids_145.h"
#include "runner/fake_provider.h"
#include "runner/headless_main.h"
#include "runner/script_fixture.h"
#include "script_ids.h"
#include "support/temp_dir.h"

namespace talvon::test {
namespace {

using test::Id;

struct ScriptRun : ::testing::Test {
  FakeProvider provider;
  std::ostringstream out;
  std::ostringstream err;

  int Run(const std::string& source) {
    return RunScriptText(provider, source, out, err);
  }
};

constexpr char kSaveBox[] =
    "box Save Registry | It would take 10-15 seconds to store your settings into internal non-volatile memory. "
    "Proceed ? | 36 -> ";
constexpr char kRebootBox[] =
    "box System Reboot | All settings you changed will take effect\\n after system reboot, reboot now ? | 52 -> ";

TEST_F(ScriptRun, NavigatesSheetsTypesAndPrints) {
  const int code =
      Run("print " + Id(ids102::kLowerPicture) + "\n"
          "wait 500\n"
          "print " + Id(ids102::kLowerPicture) + "\n"
          "config\n"
          "print " + Id(ids129::kTabControl) + "\n"
          "tab 2\n"
          "text " + Id(ids131::ProgramEdit(1)) + " \"\\Windows\\demo.exe\"\n"
          "print " + Id(ids131::ProgramEdit(1)) + "\n"
          "tab 0\n"
          "tab 2\n"
          "print " + Id(ids131::ProgramEdit(1)) + "\n"
          "print " + Id(ids129::kConfirmRegistryButton) + "\n"
          "answer yes\n"
          "answer no\n"
          "click " + Id(ids129::kConfirmRegistryButton) + "\n"
          "home\n"
          "info\n"
          "print " + Id(ids132::kHomeButton) + "\n"
          "home\n"
          "home\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(), std::string("print " + Id(ids102::kLowerPicture) + " 189\n"
                                   "print " + Id(ids102::kLowerPicture) + " 190\n"
                                   "print " + Id(ids129::kTabControl) + " 0\n"
                                   "print " + Id(ids131::ProgramEdit(1)) + " \\Windows\\demo.exe\n"
                                   "print " + Id(ids131::ProgramEdit(1)) + " \\Windows\\demo.exe\n"
                                   "print " + Id(ids129::kConfirmRegistryButton) + "         Confirm Registry\n") +
                           kSaveBox + "yes\n" + kRebootBox + "no\n" +
                           "print " + Id(ids132::kHomeButton) + "         Home\n"
                           "ignored home: no sheet is shown\n");
  EXPECT_EQ(provider.boots, 1);
  EXPECT_TRUE(err.str().empty()) << err.str();
}

TEST_F(ScriptRun, RebootStartsTheUtilityAfreshAndTheScriptGoesOn) {
  const int code =
      Run("config\n"
          "tab 2\n"
          "text " + Id(ids131::ProgramEdit(1)) + " \"\\Windows\\demo.exe\"\n"
          "answer yes\n"
          "answer yes\n"
          "click " + Id(ids129::kSaveIcon) + "\n"
          "print " + Id(ids102::kLowerPicture) + "\n"
          "config\n"
          "tab 2\n"
          "print " + Id(ids131::ProgramEdit(1)) + "\n");
  EXPECT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(), std::string(kSaveBox) + "yes\n" + kRebootBox + "yes\n" +
                           "reboot\n"
                           "print " + Id(ids102::kLowerPicture) + " 189\n"  // a new run: the blink starts over
                           "print " + Id(ids131::ProgramEdit(1)) + " \n");  // and the page is new
  EXPECT_EQ(provider.boots, 2);
}

TEST_F(ScriptRun, FailedFlushIsReportedAndNothingReboots) {
  provider.flushResult = ERROR_REGISTRY_IO_FAILED;
  EXPECT_EQ(Run("config\nanswer yes\nanswer ok\nclick " + Id(ids129::kConfirmRegistryButton) + "\n"), runner::kExitOk)
      << err.str();
  EXPECT_EQ(out.str(), std::string(kSaveBox) + "yes\nbox Save Registry | RegFlushKey failed | 48 -> ok\n");
  EXPECT_EQ(provider.boots, 1);
}

TEST_F(ScriptRun, AnUnansweredBoxEndsTheRunNamingTheBox) {
  EXPECT_EQ(Run("config\nclick " + Id(ids129::kConfirmRegistryButton) + "\nprint " + Id(ids102::kLowerPicture) + "\n"),
            runner::kExitUnanswered);
  EXPECT_EQ(out.str(),
            "unanswered box Save Registry | It would take 10-15 seconds to store your settings into internal "
            "non-volatile memory. Proceed ? | 36\n");
  EXPECT_NE(err.str().find("no answer"), std::string::npos);
}

TEST_F(ScriptRun, AnAnswerThatDoesNotFitTheBoxCountsAsNone) {
  EXPECT_EQ(Run("config\nanswer ok\nclick " + Id(ids129::kConfirmRegistryButton) + "\n"), runner::kExitUnanswered);
  EXPECT_EQ(out.str().rfind("unanswered box Save Registry", 0), 0u);
}

TEST_F(ScriptRun, TapsThatCannotReachTheirControlAreNotedAndIgnored) {
  EXPECT_EQ(Run("config\ntab 3\nclick " + Id(ids145::HomeButton) + "\ntab 1\nclick " + Id(ids133::kWriteButton) +
                "\ntext " +
                Id(ids133::kPathField) + " \"x\"\n"),
            runner::kExitOk)
      << err.str();
  EXPECT_EQ(out.str(),
            "ignored click " + Id(ids145::HomeButton) + ": hidden\n"
            "ignored click " + Id(ids133::kWriteButton) + ": disabled\n"
            "ignored text " + Id(ids133::kPathField) + ": read-only\n");
}

TEST_F(ScriptRun, CommandsThatCannotBeCarriedOutAreScriptErrors) {
  const std::string confirm = Id(ids129::kConfirmRegistryButton);
  EXPECT_EQ(Run("click " + confirm + "\n"), runner::kExitScriptError);  // the sheet is not shown
  EXPECT_NE(err.str().find("script line 1: no control " + confirm + " on screen"), std::string::npos) << err.str();
  err.str("");
  EXPECT_EQ(Run("tab 1\n"), runner::kExitScriptError);
  EXPECT_NE(err.str().find("no sheet is shown"), std::string::npos);
  err.str("");
  EXPECT_EQ(Run("config\ntab 9\n"), runner::kExitScriptError);
  EXPECT_EQ(Run("config\ntab 4\ntree \"Slot_1: R-8017\"\n"), runner::kExitScriptError);
  EXPECT_EQ(Run("config\nslider " + confirm + " 3\n"), runner::kExitScriptError);
}

TEST_F(ScriptRun, AControllerThatDoesNotBootEndsTheRun) {
  provider.refuseToBoot = true;
  EXPECT_EQ(Run("info\n"), runner::kExitNoBoot);
  EXPECT_NE(err.str().find("the OS area holds no image"), std::string::npos);
}

TEST_F(ScriptRun, TheRunEndsByClosingTheHomeScreen) {
  // Nothing is left open: a second run on the same provider starts cleanly.
  EXPECT_EQ(Run("config\n"), runner::kExitOk);
  EXPECT_EQ(Run("info\nprint " + Id(ids132::kHomeButton) + "\n"), runner::kExitOk);
  EXPECT_EQ(out.str(), "print " + Id(ids132::kHomeButton) + "         Home\n");
}

TEST(HeadlessMain, CommandLineAndScriptProblemsAreReported) {
  std::ostringstream out;
  std::ostringstream err;
  const char* noScript[] = {"talvon-utility", "--headless"};
  EXPECT_EQ(runner::HeadlessMain(2, noScript, out, err), runner::kExitScriptError);
  EXPECT_NE(err.str().find("usage:"), std::string::npos);

  const test::TempDir temp;
  const std::filesystem::path& dir = temp.Path();
  const std::string missing = (dir / "missing.txt").string();
  const char* unreadable[] = {"talvon-utility", "--headless", "--script", missing.c_str()};
  EXPECT_EQ(runner::HeadlessMain(4, unreadable, out, err), runner::kExitScriptError);

  const std::string bad = (dir / "bad.txt").string();
  std::ofstream(bad) << "info\nfrobnicate\n";
  const char* badScript[] = {"talvon-utility", "--headless", "--script", bad.c_str(), "--controller", "x"};
  err.str("");
  EXPECT_EQ(runner::HeadlessMain(6, badScript, out, err), runner::kExitScriptError);
  EXPECT_NE(err.str().find("line 2: unknown command"), std::string::npos) << err.str();

  const char* extra[] = {"talvon-utility", "--headless", "--script", bad.c_str(), "--fast"};
  EXPECT_EQ(runner::HeadlessMain(5, extra, out, err), runner::kExitScriptError);
  EXPECT_TRUE(out.str().empty());
}

}  // namespace
}  // namespace talvon::test
