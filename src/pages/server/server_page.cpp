#include "pages/server/server_page.h"

#include <algorithm>
#include <cstdio>

#include "pages/page_context.h"
#include "pages/server/server_page_state.h"
#include "pages/server/server_texts.h"
#include "pages/server/service_password.h"
#include "platform/message_box.h"
#include "platform/templates/ids_145.h"

namespace talvon {

using namespace server_texts;
using namespace ids145;

CServerPage::CServerPage(PageContext& context, ServerPageState& state)
    : CDialog(IDD), context_(context), state_(state) {
  Messages().OnCommand(FtpServerCheck, BN_CLICKED, [this] { OnFtpServerCheck(); });
  Messages().OnCommand(TelnetServerCheck, BN_CLICKED, [this] { OnTelnetServerCheck(); });
  Messages().OnCommand(ConfirmSettingsButton, BN_CLICKED, [this] { OnConfirmSettings(); });
  Messages().OnCommand(SaveFtpDirectoryButton, BN_CLICKED, [this] { SaveFtpDirectory(); });
  Messages().OnCommand(SavePasswordButton, BN_CLICKED, [this] { SavePassword(); });
  Messages().OnCommand(GetPasswordButton, BN_CLICKED, [this] { OnGetPassword(); });
  Messages().OnCommand(PasswordEdit, EN_CHANGE, [this] { OnPasswordEdited(); });
  Messages().OnCommand(ConfirmPasswordEdit, EN_CHANGE, [this] { OnPasswordEdited(); });
  Messages().OnCommand(HomeButton, BN_CLICKED, [this] { OnHome(); });
  Messages().OnCommand(HomePicture, STN_CLICKED, [this] { OnHome(); });
}

void CServerPage::DoDataExchange(DataExchange& exchange) {
  exchange.Control(FtpServerCheck, ftpCheck_);
  exchange.Control(TelnetServerCheck, telnetCheck_);
  exchange.Control(PasswordEdit, passwordEdit_);
  exchange.Control(ConfirmPasswordEdit, confirmEdit_);
  exchange.Text(PasswordEdit, password_);
  exchange.Text(ConfirmPasswordEdit, confirmation_);
}

ServerSettingsRoles CServerPage::Roles() {
  return {context_.platform.registry, context_.platform.files, context_.platform.clock};
}

bool CServerPage::OnInitDialog() {
  CDialog::OnInitDialog();
  ShowFtpDirectory();
  ShowHttpDirectory();
  const ServerAuthentication auth = ReadServerAuthentication(context_.platform.registry);
  ftpCheck_.SetCheck(auth.ftp ? BST_CHECKED : BST_UNCHECKED);
  telnetCheck_.SetCheck(auth.telnet ? BST_CHECKED : BST_UNCHECKED);
  if (auth.ftp || auth.telnet) {
    // One "*" per stored character, never more than a password can have.
    const std::size_t stars = std::min<std::size_t>(auth.passwordLength, MaxServicePasswordLength);
    SetPasswordFields(std::string(stars, '*'), true);
    state_.placeholderShown = true;
  } else {
    SetPasswordFields(kPasswordDisabled, false);
  }
  return true;
}

void CServerPage::SetPasswordFields(std::string_view text, bool enabled) {
  for (CEdit* edit : {&passwordEdit_, &confirmEdit_}) {
    edit->SetPasswordChar(enabled ? u'*' : 0);
    edit->SetWindowText(text);
    edit->EnableWindow(enabled);
  }
  state_.placeholderShown = false;
}

void CServerPage::OnPasswordEdited() { state_.placeholderShown = false; }

void CServerPage::OnFtpServerCheck() {
  ReportAuthenticationWrite(WriteFtpAuthentication(context_.platform.registry, ftpCheck_.GetCheck() == BST_CHECKED),
                            true);
  AfterCheckBoxChanged();
}

void CServerPage::OnTelnetServerCheck() {
  ReportAuthenticationWrite(
      WriteTelnetAuthentication(context_.platform.registry, telnetCheck_.GetCheck() == BST_CHECKED), false);
  AfterCheckBoxChanged();
}

void CServerPage::ReportAuthenticationWrite(AuthenticationWrite outcome, bool ftp) {
  switch (outcome) {
    case AuthenticationWrite::Written:
      return;
    case AuthenticationWrite::NoPasswordKey: {
      char message[160];
      std::snprintf(message, sizeof message, kNoPasswordKey, ftp ? "FTP Server" : "Telnet Server");
      MessageBox(message, kSaveCaption, MB_ICONEXCLAMATION);
      break;
    }
    case AuthenticationWrite::OpenFailed:
      MessageBox(ftp ? kFtpOpenFailed : kTelnetOpenFailed, kSaveCaption, MB_ICONEXCLAMATION);
      break;
    case AuthenticationWrite::SetFailed:
      MessageBox(ftp ? kFtpSetFailed : kTelnetSetFailed, kSaveCaption, MB_ICONEXCLAMATION);
      break;
  }
  // A box that did not take effect must not look as if it had.
  const ServerAuthentication auth = ReadServerAuthentication(context_.platform.registry);
  ftpCheck_.SetCheck(auth.ftp ? BST_CHECKED : BST_UNCHECKED);
  telnetCheck_.SetCheck(auth.telnet ? BST_CHECKED : BST_UNCHECKED);
}

void CServerPage::AfterCheckBoxChanged() {
  if (ftpCheck_.GetCheck() == BST_CHECKED || telnetCheck_.GetCheck() == BST_CHECKED) {
    SetPasswordFields("", true);
  } else {
    SetPasswordFields(kPasswordDisabled, false);
  }
}

void CServerPage::ShowDirectory(ServerDirectory which) {
  const std::string directory = ReadServerDirectory(Roles(), which);
  const bool ftp = which == ServerDirectory::Ftp;
  SetDlgItemText(ftp ? FtpDirectoryEdit : HttpDirectoryEdit, directory);
  SetDlgItemText(ftp ? FtpDirectoryLabel : HttpDirectoryLabel, DirectoryLabel(which, directory));
  Invalidate();
}

void CServerPage::SaveDirectory(ServerDirectory which) {
  using Outcome = DirectorySave::Outcome;
  const bool ftp = which == ServerDirectory::Ftp;
  const std::string text = GetDlgItemText(ftp ? FtpDirectoryEdit : HttpDirectoryEdit);
  const DirectorySave saved = SaveServerDirectory(Roles(), which, text);
  switch (saved.outcome) {
    case Outcome::Saved:
      break;
    case Outcome::NotFound: {
      char message[96];
      std::snprintf(message, sizeof message, kDirectoryMissing, saved.errorCode);
      MessageBox(message, kDirectoryMissingCaption, MB_ICONEXCLAMATION);
      break;
    }
    case Outcome::TooLong:
      MessageBox(ftp ? kFtpDirectoryTooLong : kHttpDirectoryTooLong, kSaveCaption, MB_ICONEXCLAMATION);
      break;
    case Outcome::OpenFailed:
      MessageBox(ftp ? kFtpOpenFailed : kHttpOpenFailed, kSaveCaption, MB_ICONEXCLAMATION);
      break;
    case Outcome::SetFailed:
      MessageBox(ftp ? kFtpSetFailed : kHttpSetFailed, kSaveCaption, MB_ICONEXCLAMATION);
      break;
  }
  // The field shows what the registry holds now, whatever became of the save.
  ShowDirectory(which);
}

void CServerPage::SavePassword() {
  UpdateData(true);
  const PasswordEntry entry{password_, confirmation_, state_.placeholderShown};
  const PasswordSaveResult saved = SaveServicePassword(context_.platform.registry, entry);
  switch (saved.outcome) {
    case PasswordSave::Mismatch:
      MessageBox(kPasswordMismatch, kErrorCaption, MB_ICONSTOP);
      break;
    case PasswordSave::TooLong:
      MessageBox(kPasswordTooLong, kErrorCaption, MB_ICONSTOP);
      break;
    case PasswordSave::NoKey:
      MessageBox(kPasswordOpenFailed, kSaveCaption, MB_ICONEXCLAMATION);
      break;
    case PasswordSave::SetFailed:
      MessageBox(kPasswordSetFailed, kSaveCaption, MB_ICONEXCLAMATION);
      break;
    case PasswordSave::Stored:
    case PasswordSave::Unchanged:
      break;
  }
  if (!saved.flushed) {
    MessageBox(saved.outcome == PasswordSave::Stored ? kPasswordFlushFailed : kFlushFailed, kSaveCaption,
               MB_ICONEXCLAMATION);
  }
}

void CServerPage::OnConfirmSettings() {
  SaveHttpDirectory();
  if (ftpCheck_.GetCheck() == BST_CHECKED || telnetCheck_.GetCheck() == BST_CHECKED) SavePassword();
  SaveFtpDirectory();
}

void CServerPage::OnGetPassword() {
  state_.password = ReadServicePassword(context_.platform.registry).value_or(std::u16string());
}

void CServerPage::OnHome() { context_.sheets.HideConfigurationSheet(); }

}  // namespace talvon
