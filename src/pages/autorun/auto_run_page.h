#pragma once
#include "platform/dialog.h"

namespace talvon {

class UtilitySession;

// The "Auto-execution" page (tab 2 of the configuration sheet): the ten programs started at boot.
// Constructed by its sheet with no window; Create(sheet) builds the window
// from template 131 as a child of the sheet and runs OnInitDialog once.
class CAutoRunPage : public CDialog {
 public:
  static constexpr int IDD = 131;
  explicit CAutoRunPage(UtilitySession& session);

 protected:
  bool OnInitDialog() override;

 private:
  UtilitySession& session_;
};

}  // namespace talvon
