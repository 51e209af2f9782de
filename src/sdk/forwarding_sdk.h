#pragma once
#include <cstdint>

#include "sdk/controller_sdk.h"

namespace talvon {

// Stands in front of the controller's SDK and passes every call on to it.
// What watches or holds back a call (the reboot, mostly) derives from this
// and overrides only that call.
class ForwardingSdk : public ControllerSdk {
 public:
  explicit ForwardingSdk(ControllerSdk& inner) : inner_(inner) {}

  void Reset_TalVon() override { inner_.Reset_TalVon(); }
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
};

}  // namespace talvon
