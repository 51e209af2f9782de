#pragma once
// The controller's SDK library, answering from controller.json.
//
// GetNameOfModule answers NoModuleIdentifier (0) with an empty name text for
// an empty slot or a slot number outside 1..7, and zero-fills the rest of the
// 8-byte buffer. ChangeSlotTo53R connects the backplane's serial line to a
// slot. Reset_TalVon only records the request: whoever runs the utility acts
// on it (starting the utility again on the same controller). The OS version
// comes from the OS image when it carries one (SetOsVersion), else from
// controller.json.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "sdk/controller_sdk.h"
#include "sim/roles/backplane.h"
#include "sim/controller/hardware_config.h"

namespace talvon::sim {

struct ControllerConfig;

class SimSdk final : public ControllerSdk {
 public:
  // The backplane must outlive the SDK.
  SimSdk(const ControllerConfig& config, Backplane& backplane);

  void Reset_TalVon() override { rebootRequested_ = true; }
  void ChangeSlotTo53R(std::uint8_t slot) override;
  std::uint32_t Get_Slot_No() override;
  int GetNameOfModule(int slot, char* name8) override;
  void GetSystemSerialNumber(std::uint8_t* buffer8) override;
  void ReadMAC(std::uint8_t* buffer8) override;
  std::int32_t GetFlashSize(std::uint8_t* scratch8) override;
  void GetOSversion(char16_t* buffer80) override;
  void GetSDKversion(char16_t* buffer80) override;

  bool RebootRequested() const { return rebootRequested_; }
  void ClearRebootRequest() { rebootRequested_ = false; }
  // The version text of the booted OS image; nullopt: the image has none.
  void SetOsVersion(std::optional<std::string> utf8) { osVersion_ = std::move(utf8); }

 private:
  std::array<SlotConfig, SlotCount> slots_;
  std::array<std::uint8_t, 8> serialNumber_;
  std::array<std::uint8_t, 6> macAddress_;
  std::string sdkVersion_;
  std::string fallbackOsVersion_;
  std::optional<std::string> osVersion_;
  std::int32_t flashSize_;
  std::uint32_t getSlotNo_;
  Backplane& backplane_;
  bool rebootRequested_ = false;
};

}  // namespace talvon::sim
