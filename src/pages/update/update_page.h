#pragma once
#include "platform/dialog.h"

namespace talvon {

class UtilitySession;

// The "Update Version" page (tab 1 of the configuration sheet): writes a new OS image into flash.
// Constructed by its sheet with no window; Create(sheet) builds the window
// from template 133 as a child of the sheet and runs OnInitDialog once.
class CUpdatePage : public CDialog {
 public:
  static constexpr int IDD = 133;
  explicit CUpdatePage(UtilitySession& session);

 protected:
  bool OnInitDialog() override;

 private:
  UtilitySession& session_;
};

}  // namespace talvon
