#include "app/flash_work_guard.h"

namespace talvon {

FlashWorkGuard::FlashWorkGuard(FlashWindow& flash, ControllerSdk& sdk, DialogBackend& backend,
                               std::function<void()> endUtility)
    : ForwardingSdk(sdk),
      flash_(flash),
      backend_(backend),
      endUtility_(std::move(endUtility)),
      previousObserver_(flash.Work().Observer()) {
  flash_.Work().SetObserver(this);
  backend_.SetInputGate([this](const WindowMessage& message) { return AllowInput(message); });
}

FlashWorkGuard::~FlashWorkGuard() {
  backend_.SetInputGate(nullptr);
  if (flash_.Work().Observer() == this) flash_.Work().SetObserver(previousObserver_);
}

bool FlashWorkGuard::AllowInput(const WindowMessage& message) {
  if (!flash_.Work().Busy()) return true;
  if (message.message == WM_CLOSE) closePending_ = true;
  return false;
}

void FlashWorkGuard::Reset_TalVon() {
  if (flash_.Work().Busy()) {
    ++refusedReboots_;
    return;
  }
  if (closePending_) {
    // The operator closed the utility while the work ran: it ends now,
    // and the controller is not rebooted under it.
    if (!ended_ && endUtility_) endUtility_();
    ended_ = true;
    return;
  }
  ForwardingSdk::Reset_TalVon();
}

void FlashWorkGuard::FlashWorkStarted(std::string_view doing) { backend_.ShowFlashWork(doing); }

void FlashWorkGuard::FlashWorkGoesOn() { backend_.PumpOneMessage(); }

void FlashWorkGuard::FlashWorkEnded() {
  backend_.ShowFlashWork("");
  if (closePending_ && !ended_ && endUtility_) {
    ended_ = true;
    endUtility_();
  }
}

}  // namespace talvon
