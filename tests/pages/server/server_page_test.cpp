// The Server Setting page on a simulated controller: what it shows from the
// registry, what the check boxes write, and how directories and the service
// password are saved or refused.
#include <gtest/gtest.h>

#include "pages/server/server_page.h"
#include "pages/server/service_password.h"
#include "platform/templates/ids_145.h"
#include "support/sim_page_test.h"

namespace talvon::test {
namespace {

using namespace ids145;

constexpr int kServerTab = 3;
constexpr char kFtp[] = "Comm\\FTPD";
constexpr char kTelnet[] = "Comm\\TELNETD";
constexpr char kVroot[] = "Comm\\HTTPD\\VROOTS\\/";

class ServerPageTest : public SimPageTest {
 protected:
  std::vector<std::uint8_t> Pa1() { return Value("Velmar", "Pa1")->data; }
  void Type(WindowHandle page, int id, const std::string& text) {
    ASSERT_EQ(Driver().TypeText(page, id, text), DriverResult::Done);
  }
  void Click(WindowHandle page, int id) { ASSERT_EQ(Driver().Click(page, id), DriverResult::Done); }
  // Types the same password in both fields.
  void TypePassword(WindowHandle page, const std::string& text) {
    Type(page, PasswordEdit, text);
    Type(page, ConfirmPasswordEdit, text);
  }
};

TEST_F(ServerPageTest, OneServerWithAuthenticationShowsThePasswordAsStars) {
  SetDword(kFtp, "UseAuthentication", 1);
  RemoveKey(kTelnet);
  SetDword("Velmar", "Pa2", 5);
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    EXPECT_EQ(Shown(page, FtpServerCheck), "1");
    EXPECT_EQ(Shown(page, TelnetServerCheck), "0");
    for (int id : {PasswordEdit, ConfirmPasswordEdit}) {
      EXPECT_EQ(Shown(page, id), "*****");
      EXPECT_TRUE(Enabled(page, id));
    }
  });
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ServerPageTest, ABoxWhoseKeyIsMissingSaysSoAndShowsWhatTheRegistryHolds) {
  RemoveKey(kTelnet);
  const std::string before = Controller().Registry().ExportText();
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    Driver().AnswerBox(IDOK);
    Click(page, TelnetServerCheck);
    EXPECT_EQ(Shown(page, TelnetServerCheck), "0");  // not ticked: the server asks for nothing
    EXPECT_EQ(Shown(page, PasswordEdit), "Disable");
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Telnet RegOpenKeyEx Failed");
  EXPECT_EQ(boxes[0].caption, "Save Registry");
  EXPECT_EQ(boxes[0].style, 48u);
  EXPECT_EQ(Controller().Registry().ExportText(), before);
}

TEST_F(ServerPageTest, WithoutVelmarNoLoginIsTurnedOnAndNoPasswordVanishesUnsaid) {
  RemoveKey("Velmar");
  const std::string before = Controller().Registry().ExportText();
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    Driver().AnswerBox(IDOK);
    Click(page, FtpServerCheck);  // a login no password could ever be stored for
    EXPECT_EQ(Shown(page, FtpServerCheck), "0");
    EXPECT_FALSE(Enabled(page, PasswordEdit));
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "Password RegOpenKeyEx Failed\nNo password can be stored (the registry key Velmar is missing), so FTP "
            "Server does not ask for a login.");
  EXPECT_EQ(boxes[0].style, 48u);
  EXPECT_EQ(Controller().Registry().ExportText(), before);

  // A login already asked for: the typed password cannot be kept, and that is said.
  SetDword(kTelnet, "UseAuthentication", 1);
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    TypePassword(page, "secret");
    Driver().AnswerBox(IDOK);
    Click(page, ConfirmSettingsButton);
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Password RegOpenKeyEx Failed\nThe password has not been stored: the registry key Velmar "
                           "is missing.");
  EXPECT_EQ(Store().Find("Velmar"), nullptr);
}

TEST_F(ServerPageTest, APasswordWhoseFlushFailsIsReportedAndTheStoredOneStillBoots) {
  SetDword(kTelnet, "UseAuthentication", 1);
  SetDword("Velmar", "Pa2", 4);
  SetValue("Velmar", "Pa1", REG_BINARY, ServicePasswordPa1(u"keep"));
  ASSERT_EQ(Controller().GetPlatform().registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  FailRegistryFlushes();
  const std::vector<std::uint8_t> area = RegistryArea();
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    TypePassword(page, "new");
    Driver().AnswerBox(IDOK);
    Click(page, ConfirmSettingsButton);
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "RegFlushKey failed\nThe password could not be stored in flash memory and is lost when the controller "
            "restarts. Please press Confirm Registry to store it again.");
  EXPECT_EQ(boxes[0].caption, "Save Registry");
  EXPECT_EQ(boxes[0].style, 48u);
  EXPECT_EQ(ServicePasswordFromStored(Pa1(), Dword("Velmar", "Pa2")), u"new");  // in force until the restart
  EXPECT_TRUE(RegistryArea() == area);
  Reboot();
  EXPECT_EQ(ServicePasswordFromStored(Pa1(), Dword("Velmar", "Pa2")), u"keep");
  EXPECT_EQ(Dword(kTelnet, "UseAuthentication"), 1u);
}

TEST_F(ServerPageTest, OnlyAValueOfExactlyOneTicksABox) {
  SetDword(kFtp, "UseAuthentication", 2);
  SetText(kTelnet, "UseAuthentication", "1");
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    EXPECT_EQ(Shown(page, FtpServerCheck), "0");
    EXPECT_EQ(Shown(page, TelnetServerCheck), "0");
    EXPECT_EQ(Shown(page, PasswordEdit), "Disable");
    EXPECT_FALSE(Enabled(page, PasswordEdit));
    EXPECT_EQ(Driver().Control(page, PasswordEdit)->passwordChar, 0);  // shown in clear
  });
}

TEST_F(ServerPageTest, CheckBoxesWriteTheirValuesAtOnceWithoutAFlush) {
  SetDword(kTelnet, "UseAuthentication", 1);
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    Click(page, FtpServerCheck);
    EXPECT_EQ(Dword(kFtp, "UseAuthentication"), 1u);
    EXPECT_EQ(Dword(kFtp, "AllowAnonymous"), 0u);
    EXPECT_EQ(Dword(kFtp, "AllowAnonymousVroots"), 0u);
    EXPECT_EQ(Dword(kFtp, "AllowAnonymousUpload"), 0u);

    // Cleared while Telnet still asks for a login: the fields stay open.
    Click(page, FtpServerCheck);
    EXPECT_EQ(Dword(kFtp, "UseAuthentication"), 0u);
    EXPECT_EQ(Dword(kFtp, "AllowAnonymous"), 1u);
    EXPECT_EQ(Dword(kFtp, "AllowAnonymousVroots"), 0u);
    EXPECT_EQ(Dword(kFtp, "AllowAnonymousUpload"), 1u);
    EXPECT_EQ(Shown(page, PasswordEdit), "");
    EXPECT_TRUE(Enabled(page, ConfirmPasswordEdit));

    Click(page, TelnetServerCheck);
    EXPECT_EQ(Dword(kTelnet, "UseAuthentication"), 0u);
    EXPECT_EQ(Shown(page, ConfirmPasswordEdit), "Disable");
    EXPECT_FALSE(Enabled(page, PasswordEdit));
  });
  EXPECT_EQ(flushes, 0);
  EXPECT_EQ(Controller().Registry().OpenHandleCount(), 0u);
}

TEST_F(ServerPageTest, DirectoriesThatAreNotOneExistingEntryAreRefusedAndNothingChanges) {
  const std::string longPath = "\\CompactFlash\\" + std::string(86, 'd');  // 100 characters
  PutFile("CompactFlash/" + std::string(86, 'd') + "/keep");
  const struct {
    std::string typed;
    std::string box;
  } cases[] = {
      {"\\CompactFlash\\NoSuch", "Directory not exist, please create it first. ErrCode : 2"},
      {"\\NoSuch\\Deeper", "Directory not exist, please create it first. ErrCode : 3"},
      {"\\CompactFlash\\*", "Directory not exist, please create it first. ErrCode : 123"},
      {"\\CompactFlash\\Velma?", "Directory not exist, please create it first. ErrCode : 123"},
      // Its low byte is zero: no name on the card, and never the card's root.
      {"\\CompactFlash\\\u0100", "Directory not exist, please create it first. ErrCode : 123"},
      {longPath, "FTP directory is longer than 99 characters,Please choose a directory with a shorter path."},
  };
  for (const auto& c : cases) {
    Run([&] {
      const WindowHandle page = ShowTab(kServerTab);
      Type(page, FtpDirectoryEdit, c.typed);
      Driver().AnswerBox(IDOK);
      Command(page, SaveFtpDirectoryButton);
      EXPECT_EQ(Shown(page, FtpDirectoryEdit), "\\CompactFlash");  // the stored one again
    });
    ASSERT_EQ(boxes.size(), 1u) << c.typed;
    EXPECT_EQ(boxes[0].text, c.box);
    EXPECT_EQ(boxes[0].style, 48u);
    EXPECT_EQ(Text(kFtp, "DefaultDir"), "\\CompactFlash");
  }
}

TEST_F(ServerPageTest, DirectoriesAreStoredIn200BytesAndAFileNamePasses) {
  PutFile("CompactFlash/site/index.htm");
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    Type(page, HttpDirectoryEdit, "\\CompactFlash\\site\\index.htm");
    Type(page, FtpDirectoryEdit, "\\compactflash\\SITE");
    Click(page, ConfirmSettingsButton);
    EXPECT_EQ(Shown(page, FtpDirectoryLabel), "Change FTP default directory \\compactflash\\SITE to :");
  });
  EXPECT_TRUE(boxes.empty());
  const sim::RegistryValue* ftp = Value(kFtp, "DefaultDir");
  EXPECT_EQ(ftp->type, REG_SZ);
  EXPECT_EQ(ftp->data.size(), 200u);
  EXPECT_EQ(Text(kFtp, "DefaultDir"), "\\compactflash\\SITE");
  EXPECT_EQ(Value(kVroot, "Default")->data.size(), 200u);
  EXPECT_EQ(Text(kVroot, "Default"), "\\CompactFlash\\site\\index.htm");
}

TEST_F(ServerPageTest, ADirectoryWithLatinOneLettersIsFoundOnTheCard) {
  PutFile("CompactFlash/Donn\u00e9es/index.htm");
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    Type(page, FtpDirectoryEdit, "\\CompactFlash\\Donn\u00e9es");
    Click(page, ConfirmSettingsButton);
  });
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Text(kFtp, "DefaultDir"), "\\CompactFlash\\Donn\u00e9es");
}

TEST_F(ServerPageTest, ConfirmSettingsGoesOnPastEachFailureInItsOrder) {
  SetDword(kFtp, "UseAuthentication", 1);
  failOpen = {"comm\\httpd\\vroots\\/"};
  failSet = {"defaultdir"};
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    Type(page, HttpDirectoryEdit, "\\CompactFlash");
    Type(page, PasswordEdit, "one");
    Type(page, ConfirmPasswordEdit, "One");
    for (int i = 0; i < 3; ++i) Driver().AnswerBox(IDOK);
    Click(page, ConfirmSettingsButton);
  });
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "HTTP RegOpenKeyEx Failed");
  EXPECT_EQ(boxes[0].caption, "Save Registry");
  EXPECT_EQ(boxes[1].text, "Password do not match,Please retype identical passwords in both boxes");
  EXPECT_EQ(boxes[1].caption, "ERROR");
  EXPECT_EQ(boxes[1].style, 16u);
  EXPECT_EQ(boxes[2].text, "FTP RegSetValueEx Failed");
  EXPECT_EQ(flushes, 1);  // the password step flushes even when it stores nothing
  EXPECT_EQ(Dword("Velmar", "Pa2"), 0u);
}

TEST_F(ServerPageTest, PasswordIsStoredScrambledWithItsLengthAndFlushed) {
  SetDword(kTelnet, "UseAuthentication", 1);
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    TypePassword(page, "a%Z");
    Command(page, SavePasswordButton);
  });
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(flushes, 1);
  EXPECT_EQ(Dword("Velmar", "Pa2"), 3u);
  const std::vector<std::uint8_t> pa1 = Pa1();
  ASSERT_EQ(pa1.size(), 6u);
  EXPECT_EQ(pa1[1] | pa1[3] | pa1[5], 0);
  EXPECT_EQ(ServicePasswordFromStored(pa1, 3), u"a%Z");
  // What was flushed is what the next boot reads.
  Reboot();
  EXPECT_EQ(Pa1(), pa1);
}

TEST_F(ServerPageTest, PasswordOfTenCharactersIsRefusedAndNineAreStored) {
  SetDword(kFtp, "UseAuthentication", 1);
  SetDword("Velmar", "Pa2", 4);
  SetValue("Velmar", "Pa1", REG_BINARY, ServicePasswordPa1(u"keep"));
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    TypePassword(page, "0123456789");
    Driver().AnswerBox(IDOK);
    Command(page, SavePasswordButton);
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].text, "Password is longer than 9 characters,Please type at most 9 characters.");
  EXPECT_EQ(ServicePasswordFromStored(Pa1(), Dword("Velmar", "Pa2")), u"keep");

  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    TypePassword(page, "012345678");
    Command(page, SavePasswordButton);
  });
  EXPECT_EQ(ServicePasswordFromStored(Pa1(), Dword("Velmar", "Pa2")), u"012345678");
}

TEST_F(ServerPageTest, ConfirmLeavesThePasswordAloneUnlessABoxIsTickedAndItWasTyped) {
  SetDword("Velmar", "Pa2", 4);
  SetValue("Velmar", "Pa1", REG_BINARY, ServicePasswordPa1(u"keep"));
  const std::vector<std::uint8_t> before = Pa1();
  Run([&] { Click(ShowTab(kServerTab), ConfirmSettingsButton); });  // both boxes cleared
  EXPECT_EQ(flushes, 0);
  EXPECT_EQ(Pa1(), before);

  SetDword(kFtp, "UseAuthentication", 1);
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    EXPECT_EQ(Shown(page, PasswordEdit), "****");
    Click(page, ConfirmSettingsButton);  // the placeholder untouched
  });
  EXPECT_EQ(Pa1(), before);
  EXPECT_EQ(Dword("Velmar", "Pa2"), 4u);

  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    TypePassword(page, "****");  // typed by the operator: a password of stars
    Click(page, ConfirmSettingsButton);
  });
  EXPECT_EQ(ServicePasswordFromStored(Pa1(), 4), u"****");
}

TEST_F(ServerPageTest, GetPasswordReadsTheStoredPasswordBack) {
  SetDword("Velmar", "Pa2", 6);
  SetValue("Velmar", "Pa1", REG_BINARY, ServicePasswordPa1(u"h\u00e9llo!"));
  Run([&] {
    const WindowHandle page = ShowTab(kServerTab);
    Command(page, GetPasswordButton);
    EXPECT_EQ(Session().server.password, u"h\u00e9llo!");
  });
}

}  // namespace
}  // namespace talvon::test
