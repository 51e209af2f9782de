#pragma once
#include "platform/dialog.h"

namespace talvon {

class UtilitySession;

// The "General Setting" page (tab 0 of the configuration sheet): display mode, touch panel, memory division, backup and
// restore. Constructed by its sheet with no window; Create(sheet) builds the window from template 134 as a child of the
// sheet and runs OnInitDialog once.
class CGeneralSettingPage : public CDialog {
 public:
  static constexpr int IDD = 134;
  explicit CGeneralSettingPage(UtilitySession& session);

 protected:
  bool OnInitDialog() override;

 private:
  UtilitySession& session_;
};

}  // namespace talvon
