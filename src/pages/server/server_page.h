#pragma once
#include <string>

#include "pages/server/server_settings.h"
#include "platform/controls.h"
#include "platform/dialog.h"

namespace talvon {

struct PageContext;
struct ServerPageState;

// The "Server Setting" page (tab 3 of the configuration sheet): whether the
// FTP and Telnet servers ask for a login, the service password they accept,
// and the FTP and HTTP directories. A check box writes its values at once;
// Confirm Settings saves the HTTP directory, the password (while a box is
// ticked) and the FTP directory. The steps live in server_settings.h.
// Constructed by its sheet with no window; Create(sheet) builds the window
// from template 145 as a child of the sheet and runs OnInitDialog once.
class CServerPage : public CDialog {
 public:
  static constexpr int IDD = 145;
  CServerPage(PageContext& context, ServerPageState& state);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& exchange) override;

 private:
  void OnFtpServerCheck();
  void OnTelnetServerCheck();
  // Says what a check box write could not do, and puts both boxes back to
  // what the registry holds.
  void ReportAuthenticationWrite(AuthenticationWrite outcome, bool ftp);
  void OnConfirmSettings();
  void SaveFtpDirectory() { SaveDirectory(ServerDirectory::Ftp); }
  void SaveHttpDirectory() { SaveDirectory(ServerDirectory::Http); }
  void SaveDirectory(ServerDirectory which);
  void SavePassword();
  // The hidden Get Password: reads the stored password back into memory.
  void OnGetPassword();
  // The hidden Home command and its icon: hide the configuration sheet.
  void OnHome();
  void ShowFtpDirectory() { ShowDirectory(ServerDirectory::Ftp); }
  void ShowHttpDirectory() { ShowDirectory(ServerDirectory::Http); }
  void ShowDirectory(ServerDirectory which);
  // After a check box changed: both fields are emptied for a new password
  // while either box is ticked, else they read "Disable".
  void AfterCheckBoxChanged();
  // Enabled fields hide what is typed; disabled ones show "Disable" in clear.
  void SetPasswordFields(std::string_view text, bool enabled);
  void OnPasswordEdited();
  ServerSettingsRoles Roles();

  PageContext& context_;
  ServerPageState& state_;
  CButton ftpCheck_;
  CButton telnetCheck_;
  CEdit passwordEdit_;
  CEdit confirmEdit_;
  std::string password_;      // exchanged with the password field
  std::string confirmation_;  // exchanged with the confirmation field
};

}  // namespace talvon
