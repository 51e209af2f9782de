#pragma once
#include <cstdint>

#include "platform/dialog.h"

namespace talvon {

class UtilitySession;

// The home screen (template 102): two blinking picture buttons, the upper
// one opening the information sheet, the lower one the configuration sheet.
// Both sheets and all their pages are created while it initialises.
class CHomeDlg : public CDialog {
 public:
  static constexpr int IDD = 102;
  static constexpr std::uintptr_t kBlinkTimer = 1;
  static constexpr std::uint32_t kBlinkPeriodMs = 500;

  // Loads the application icon (group icon 128).
  explicit CHomeDlg(UtilitySession& session);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& exchange) override;

 private:
  void OnInformation();
  void OnConfiguration();
  void OnBlinkTimer(std::uintptr_t timerId);
  void OnClose();

  UtilitySession& session_;
  // In declaration order, as bound by the data exchange.
  CStatic frameStore4_;
  CStatic frameStore3_;
  CStatic lowerButton_;
  CStatic upperButton_;
  CStatic frameStore2_;
  CStatic frameStore1_;
  ImageHandle applicationIcon_ = 0;
};

}  // namespace talvon
