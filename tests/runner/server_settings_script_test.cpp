// Scripted runs of the Server Setting page on a simulated controller: what
// the operator saves survives a reboot, and what is refused changes nothing.
#include <gtest/gtest.h>

#include "pages/server/service_password.h"
#include "platform/little_endian.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_145.h"
#include "runner/script_runner.h"
#include "sim/controller/controller_maintenance.h"
#include "script_fixture.h"
#include "script_ids.h"

namespace talvon::test {
namespace {

using namespace ids145;

using ServerSettingsScript = HeadlessScriptTest;

std::uint32_t Dword(const sim::RegistryValue* v) {
  return v == nullptr || v->data.size() != 4 ? 0xDEADBEEF
                                              : LoadLe32(v->data.data());
}

TEST_F(ServerSettingsScript, SavedSettingsComeBackAfterARebootAndAnUntouchedPlaceholderKeepsThePassword) {
  const int code = RunScript(std::string(
                                 "config\n"
                                 "tab 3\n"
                                 "click " + Id(FtpServerCheck) + "\n"
                                 "text " + Id(PasswordEdit) + " \"Tr1ck%y\"\n"
                                 "text " + Id(ConfirmPasswordEdit) + " \"Tr1ck%y\"\n"
                                 "text " + Id(FtpDirectoryEdit) + " \"\\CompactFlash\\Velmar\"\n"
                                 "text " + Id(HttpDirectoryEdit) + " \"\\CompactFlash\\Velmar\\Web\"\n"
                                 "click " + Id(ConfirmSettingsButton) + "\n") +
                             kFlushAndReboot +
                             "config\n"
                             "tab 3\n" +
                             Print({FtpServerCheck, TelnetServerCheck, PasswordEdit, ConfirmPasswordEdit,
                                    FtpDirectoryLabel, FtpDirectoryEdit, HttpDirectoryEdit}));
  ASSERT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(), std::string(kFlushAndRebootLines) +
                           "print " + Id(FtpServerCheck) + " 1\n"
                           "print " + Id(TelnetServerCheck) + " 0\n"
                           "print " + Id(PasswordEdit) + " *******\n"
                           "print " + Id(ConfirmPasswordEdit) + " *******\n"
                           "print " + Id(FtpDirectoryLabel) +
                           " Change FTP default directory \\CompactFlash\\Velmar to :\n"
                           "print " + Id(FtpDirectoryEdit) + " \\CompactFlash\\Velmar\n"
                           "print " + Id(HttpDirectoryEdit) + " \\CompactFlash\\Velmar\\Web\n");
  const std::vector<std::uint8_t> pa1 = Value("Velmar", "Pa1")->data;
  EXPECT_EQ(Dword(Value("Velmar", "Pa2")), 7u);
  EXPECT_EQ(ServicePasswordFromStored(pa1, 7), u"Tr1ck%y");
  EXPECT_EQ(Dword(Value("Comm\\FTPD", "AllowAnonymous")), 0u);
  ShutDown();

  // Confirm Settings again after the reboot, the "*" placeholder untouched:
  // the password step still flushes, and the password is what it was.
  ASSERT_EQ(RunScript("config\n"
                      "tab 3\n"
                      "click " + Id(ConfirmSettingsButton) + "\n"),
            runner::kExitOk)
      << err.str();
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(Value("Velmar", "Pa1")->data, pa1);
  EXPECT_EQ(Value("Velmar", "Pa1")->type, REG_BINARY);
  EXPECT_EQ(Dword(Value("Velmar", "Pa2")), 7u);
}

TEST_F(ServerSettingsScript, APasswordSaveWhoseFlushFailsSaysSoAndTheControllerBootsWithTheOldOne) {
  ASSERT_EQ(RunScript("config\ntab 3\nclick " + Id(FtpServerCheck) + "\n"
                      "text " + Id(PasswordEdit) + " \"first\"\n"
                      "text " + Id(ConfirmPasswordEdit) + " \"first\"\n"
                      "click " + Id(ConfirmSettingsButton) + "\n"),
            runner::kExitOk)
      << err.str();
  {
    // What `talvon-sim fault erase ADDR` does, for both copies of the registry area.
    std::string error;
    auto files = sim::OpenControllerFiles(ControllerDir(), &error, sim::ControllerFilesMode::Change);
    ASSERT_NE(files, nullptr) << error;
    for (const char* copy : {"0xBE940000", "0xBE980000"}) {
      ASSERT_TRUE(sim::AddFlashFault(*files, {"erase", copy}, &error)) << error;
    }
  }
  const int code = RunScript(
      "config\ntab 3\ntext " + Id(PasswordEdit) + " \"second\"\n"
      "text " + Id(ConfirmPasswordEdit) + " \"second\"\nanswer ok\nclick " + Id(ConfirmSettingsButton) + "\n"
      "answer yes\nanswer ok\nclick " + Id(ids129::kConfirmRegistryButton) + "\n");
  ASSERT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "box Save Registry | RegFlushKey failed\\nThe password could not be stored in flash memory and is lost "
            "when the controller restarts. Please press Confirm Registry to store it again. | 48 -> ok\n"
            "box Save Registry | It would take 10-15 seconds to store your settings into internal non-volatile "
            "memory. Proceed ? | 36 -> yes\n"
            "box Save Registry | RegFlushKey failed | 48 -> ok\n");
  EXPECT_EQ(ServicePasswordFromStored(Value("Velmar", "Pa1")->data, Dword(Value("Velmar", "Pa2"))), u"first");
  EXPECT_EQ(Dword(Value("Comm\\FTPD", "UseAuthentication")), 1u);
}

TEST_F(ServerSettingsScript, MissingDirectoriesShowTheSystemsCodeAndChangeNothing) {
  const int code = RunScript(
      "config\n"
      "tab 3\n"
      "text " + Id(FtpDirectoryEdit) + " \"\\CompactFlash\\Missing\\Dir\"\n"
      "text " + Id(HttpDirectoryEdit) + " \"\"\n"
      "answer ok\n"
      "answer ok\n"
      "click " + Id(ConfirmSettingsButton) + "\n"
      "print " + Id(FtpDirectoryEdit) + "\n"
      "print " + Id(HttpDirectoryEdit) + "\n");
  ASSERT_EQ(code, runner::kExitOk) << err.str();
  EXPECT_EQ(out.str(),
            "box Directory Not exist | Directory not exist, please create it first. ErrCode : 2 | 48 -> ok\n"
            "box Directory Not exist | Directory not exist, please create it first. ErrCode : 3 | 48 -> ok\n"
            "print " + Id(FtpDirectoryEdit) + " \\CompactFlash\n"
            "print " + Id(HttpDirectoryEdit) + " \\Windows\\www\\wwwpub\n");
}

}  // namespace
}  // namespace talvon::test
