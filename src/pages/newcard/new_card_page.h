#pragma once
#include "platform/dialog.h"

namespace talvon {

class UtilitySession;

// The "New Card Wizard" page (tab 4 of the configuration sheet): slot scan and serial-port registration.
// Constructed by its sheet with no window; Create(sheet) builds the window
// from template 237 as a child of the sheet and runs OnInitDialog once.
class CNewCardPage : public CDialog {
 public:
  static constexpr int IDD = 237;
  explicit CNewCardPage(UtilitySession& session);

 protected:
  bool OnInitDialog() override;

 private:
  UtilitySession& session_;
};

}  // namespace talvon
