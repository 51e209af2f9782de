#pragma once
#include "platform/dialog.h"

namespace talvon {

class UtilitySession;

// The configuration sheet (template 129): five pages whose settings take
// effect after a reboot, and Confirm Registry, which makes the registry
// permanent in flash and offers the reboot.
class CRebootSheetDlg : public CDialog {
 public:
  static constexpr int IDD = 129;
  static constexpr char kCaption[] = "Talvon Utility Ver 3.0.0.4 - Reboot Necessary";

  explicit CRebootSheetDlg(UtilitySession& session);

  // Confirm Registry and the save icon: ask, flush the
  // registry into flash, offer the reboot.
  void OnConfirmRegistry();

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& exchange) override;

 private:
  void OnTabChange(LRESULT* result);
  void OnHome();

  UtilitySession& session_;
  CTabCtrl tab_;
};

}  // namespace talvon
