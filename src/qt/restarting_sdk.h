// The controller's SDK as a windowed run sees it: Reset_TalVon restarts the
// utility on the same controller.
#pragma once
#include <functional>

#include "sdk/controller_sdk.h"

namespace talvon::qt {

// Passes every call on to the controller's SDK; Reset_TalVon also records
// the restart and tells whoever runs the utility, which ends the run and
// boots the controller again.
class RestartingSdk final : public ControllerSdk {
 public:
  RestartingSdk(ControllerSdk& inner, std::function<void()> onRestart)
      : inner_(inner), onRestart_(std::move(onRestart)) {}
  bool Restarting() const { return restarting_; }

  void Reset_TalVon() override {
    inner_.Reset_TalVon();
    if (restarting_) return;
    restarting_ = true;
    if (onRestart_) onRestart_();
  }
  void ChangeSlotTo53R(std::uint8_t slot) override { inner_.ChangeSlotTo53R(slot); }
  std::uint32_t Get_Slot_No() override { return inner_.Get_Slot_No(); }
  int GetNameOfModule(int slot, char* name8) override { return inner_.GetNameOfModule(slot, name8); }
  void GetSystemSerialNumber(std::uint8_t* buffer8) override { inner_.GetSystemSerialNumber(buffer8); }
  void ReadMAC(std::uint8_t* buffer8) override { inner_.ReadMAC(buffer8); }
  std::int32_t GetFlashSize(std::uint8_t* scratch8) override { return inner_.GetFlashSize(scratch8); }
  void GetOSversion(char16_t* buffer80) override { inner_.GetOSversion(buffer80); }
  void GetSDKversion(char16_t* buffer80) override { inner_.GetSDKversion(buffer80); }

 private:
  ControllerSdk& inner_;
  std::function<void()> onRestart_;
  bool restarting_ = false;
};

}  // namespace talvon::qt
