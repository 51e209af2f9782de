// The server settings' check box writes, straight on a simulated
// controller's registry: what a refused or half-failed write leaves behind.
#include <gtest/gtest.h>

#include "pages/server/server_settings.h"
#include "support/sim_page_test.h"

namespace talvon::test {
namespace {

constexpr char kFtp[] = "Comm\\FTPD";

using ServerSettingsTest = SimPageTest;

TEST_F(ServerSettingsTest, ALoginWithoutAPasswordKeyWritesNothingAndAFailedValueStopsNoOther) {
  RemoveKey("Velmar");
  // The controller's registry, failing the values named in failSet.
  FaultyRegistry registry(Controller().GetPlatform().registry, failOpen, failSet);
  const std::string before = Controller().Registry().ExportText();
  EXPECT_EQ(WriteFtpAuthentication(registry, true), AuthenticationWrite::NoPasswordKey);
  EXPECT_EQ(WriteTelnetAuthentication(registry, true), AuthenticationWrite::NoPasswordKey);
  EXPECT_EQ(Controller().Registry().ExportText(), before);
  // Opening the servers to anonymous logins needs no password.
  EXPECT_EQ(WriteFtpAuthentication(registry, false), AuthenticationWrite::Written);
  EXPECT_EQ(Dword(kFtp, "AllowAnonymous"), 1u);
  EXPECT_EQ(Dword(kFtp, "AllowAnonymousUpload"), 1u);

  // A value that will not set is told; the ones after it are still written,
  // so a login asked for never leaves anonymous uploads open.
  SetDword("Velmar", "Pa2", 0);
  failSet = {"allowanonymous"};
  EXPECT_EQ(WriteFtpAuthentication(registry, true), AuthenticationWrite::SetFailed);
  EXPECT_EQ(Dword(kFtp, "UseAuthentication"), 1u);
  EXPECT_EQ(Dword(kFtp, "AllowAnonymous"), 1u);  // the one that failed
  EXPECT_EQ(Dword(kFtp, "AllowAnonymousVroots"), 0u);
  EXPECT_EQ(Dword(kFtp, "AllowAnonymousUpload"), 0u);
  EXPECT_EQ(Controller().Registry().OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace talvon::test
