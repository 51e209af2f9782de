#pragma once
#include <functional>
#include <string_view>

#include "platform/dialog_backend.h"
#include "platform/flash_window.h"
#include "sdk/forwarding_sdk.h"

namespace talvon {

// Keeps the rest of the utility off the flash while flash work runs (an OS
// image write, a backup or restore, a factory reset, a registry flush).
// Long work gives the panel turns to repaint, and a tap let through then
// must not start a flush or a reboot in the middle of it:
//
//  - the operator's input is refused; a close of the window is remembered
//    and carried out once the work is done, as the end of the utility;
//  - a reboot asked for while the work runs is refused, and one asked for
//    after a remembered close ends the utility instead of rebooting;
//  - the panel is told what the work is, and repaints between its steps.
//
// Stands between the pages and the controller's SDK, and watches the
// flash's work, for one run of the utility.
class FlashWorkGuard final : public ForwardingSdk, private FlashWorkObserver {
 public:
  // `endUtility` closes the home screen, as the operator's close would.
  FlashWorkGuard(FlashWindow& flash, ControllerSdk& sdk, DialogBackend& backend, std::function<void()> endUtility);
  ~FlashWorkGuard() override;
  FlashWorkGuard(const FlashWorkGuard&) = delete;
  FlashWorkGuard& operator=(const FlashWorkGuard&) = delete;

  bool ClosePending() const { return closePending_; }
  // Reboots refused because flash work was under way.
  int RefusedReboots() const { return refusedReboots_; }

  // ---- ControllerSdk ----
  void Reset_TalVon() override;

 private:
  bool AllowInput(const WindowMessage& message);
  void FlashWorkStarted(std::string_view doing) override;
  void FlashWorkGoesOn() override;
  void FlashWorkEnded() override;

  FlashWindow& flash_;
  DialogBackend& backend_;
  std::function<void()> endUtility_;
  FlashWorkObserver* previousObserver_;
  bool closePending_ = false;
  bool ended_ = false;
  int refusedReboots_ = 0;
};

}  // namespace talvon
