#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "pages/info/serial_module_query.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sdk/controller_sdk.h"

namespace talvon {

inline constexpr int SystemInfoSlotCount = 7;

// What the information page shows, gathered once when it is created.
// Texts are UTF-8; an empty slot text leaves the field empty.
struct SystemInfoFields {
  std::array<std::string, SystemInfoSlotCount> slots;  // slot n at [n - 1]
  std::string serialNumber;
  std::string macAddress;
  std::string sdkFlashSize;  // what the SDK reports, for the hidden field
  std::string flashSize;     // the visible flash size, always "32M bytes"
  std::string osVersion;
  std::string sdkVersion;
};

// The platform roles the gathering needs.
struct SystemInfoRoles {
  ControllerSdk& sdk;
  SerialPorts& serialPorts;
  Clock& clock;
};

// Asks the SDK (and each serial-bus module over "COM1:") for everything the
// page shows, in the controller's order: the slots 1 to 7 with a 10 ms pause
// after each (only when Get_Slot_No allows slot queries), serial number,
// MAC address, flash size, OS and SDK versions.
SystemInfoFields GatherSystemInfo(const SystemInfoRoles& roles);

// "R-%d" of the identifier plus ModuleSeriesBase.
std::string ModuleFieldText(int identifier);
// "R-" and the name a serial-bus module gave; empty when it gave none.
std::string SerialModuleFieldText(const SerialModuleName& name);
std::string SerialNumberText(const std::uint8_t* bytes8);
std::string MacAddressText(const std::uint8_t* bytes6);
std::string SdkFlashSizeText(std::int32_t bytes);
// A terminated wide text of at most `capacity` units (a missing terminator
// ends it at the capacity).
std::string WideBufferText(const char16_t* buffer, std::size_t capacity);

}  // namespace talvon
