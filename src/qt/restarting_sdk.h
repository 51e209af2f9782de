// The controller's SDK as a windowed run sees it: Reset_TalVon restarts the
// utility on the same controller.
#pragma once
#include <functional>

#include "sdk/forwarding_sdk.h"

namespace talvon::qt {

// Passes every call on to the controller's SDK; Reset_TalVon also records
// the restart and tells whoever runs the utility, which ends the run and
// boots the controller again.
class RestartingSdk final : public ForwardingSdk {
 public:
  RestartingSdk(ControllerSdk& inner, std::function<void()> onRestart)
      : ForwardingSdk(inner), onRestart_(std::move(onRestart)) {}
  bool Restarting() const { return restarting_; }

  void Reset_TalVon() override {
    ForwardingSdk::Reset_TalVon();
    if (restarting_) return;
    restarting_ = true;
    if (onRestart_) onRestart_();
  }

 private:
  std::function<void()> onRestart_;
  bool restarting_ = false;
};

}  // namespace talvon::qt
