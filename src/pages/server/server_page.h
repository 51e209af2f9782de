#pragma once
#include "platform/dialog.h"

namespace talvon {

class UtilitySession;

// The "Server Setting" page (tab 3 of the configuration sheet): FTP, Telnet and HTTP settings.
// Constructed by its sheet with no window; Create(sheet) builds the window
// from template 145 as a child of the sheet and runs OnInitDialog once.
class CServerPage : public CDialog {
 public:
  static constexpr int IDD = 145;
  explicit CServerPage(UtilitySession& session);

 protected:
  bool OnInitDialog() override;

 private:
  // The hidden Home command (1062) and its icon (1086): hide the configuration sheet.
  void OnHome();
  UtilitySession& session_;
};

}  // namespace talvon
