#pragma once
#include "platform/dialog.h"

namespace talvon {

class UtilitySession;

// The information sheet (template 130): one page, the controller
// information. Its Home controls are on that page.
class CNoRebootSheetDlg : public CDialog {
 public:
  static constexpr int IDD = 130;
  static constexpr char kCaption[] = "Talvon Utility Ver 3.0.0.4 - Reboot UnNecessary";

  explicit CNoRebootSheetDlg(UtilitySession& session);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& exchange) override;

 private:
  UtilitySession& session_;
  CTabCtrl tab_;
};

}  // namespace talvon
