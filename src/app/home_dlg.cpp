#include "app/home_dlg.h"

#include "app/utility_session.h"
#include "platform/message_box.h"
#include "platform/templates/ids_102.h"

namespace talvon {

CHomeDlg::CHomeDlg(UtilitySession& session) : CDialog(IDD), session_(session) {
  applicationIcon_ = session.backend.LoadIconResource(128);
  Messages().OnCommand(ids102::kUpperPicture, STN_CLICKED, [this] { OnInformation(); });
  Messages().OnCommand(ids102::kLowerPicture, STN_CLICKED, [this] { OnConfiguration(); });
  Messages().OnTimer([this](std::uintptr_t timerId) { OnBlinkTimer(timerId); });
  Messages().OnDestroy([this] { Default(); });
  Messages().OnClose([this] { OnClose(); });
}

void CHomeDlg::DoDataExchange(DataExchange& exchange) {
  exchange.Control(ids102::kFrameStore4, frameStore4_);
  exchange.Control(ids102::kFrameStore3, frameStore3_);
  exchange.Control(ids102::kLowerPicture, lowerButton_);
  exchange.Control(ids102::kUpperPicture, upperButton_);
  exchange.Control(ids102::kFrameStore2, frameStore2_);
  exchange.Control(ids102::kFrameStore1, frameStore1_);
}

bool CHomeDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(applicationIcon_, true);
  SetIcon(applicationIcon_, false);
  CenterWindow();

  // Every page initialises here, once, before the home screen is first drawn.
  CRebootSheetDlg& configuration = session_.RebootSheet();
  configuration.Create(*Backend(), nullptr);
  configuration.ShowWindow(SW_HIDE);
  CNoRebootSheetDlg& information = session_.NoRebootSheet();
  information.Create(*Backend(), nullptr);
  information.ShowWindow(SW_HIDE);

  SetTimer(kBlinkTimer, kBlinkPeriodMs);
  return true;
}

void CHomeDlg::OnInformation() {
  session_.NoRebootSheet().ShowWindow(SW_SHOW);
  session_.RebootSheet().ShowWindow(SW_HIDE);
}

void CHomeDlg::OnConfiguration() {
  session_.RebootSheet().ShowWindow(SW_SHOW);
  session_.NoRebootSheet().ShowWindow(SW_HIDE);
}

void CHomeDlg::OnBlinkTimer(std::uintptr_t timerId) {
  if (timerId == kBlinkTimer) {
    // The buttons show the frame stores' own pictures, shared, not copied.
    if (session_.blinkPhase == 0) {
      lowerButton_.SetBitmap(frameStore2_.GetBitmap());
      upperButton_.SetBitmap(frameStore4_.GetBitmap());
      session_.blinkPhase = 1;
    } else {
      lowerButton_.SetBitmap(frameStore1_.GetBitmap());
      upperButton_.SetBitmap(frameStore3_.GetBitmap());
      session_.blinkPhase = 0;
    }
  }
  Default();
}

void CHomeDlg::OnClose() {
  session_.RebootSheet().EndDialog(IDOK);
  session_.NoRebootSheet().EndDialog(IDOK);
  Default();  // ends the home screen
}

}  // namespace talvon
