#include "pages/info/system_info.h"

#include <cstdio>
#include <cstring>

#include "platform/text.h"

namespace talvon {
namespace {

constexpr std::uint32_t kSlotPauseMs = 10;
constexpr char kVisibleFlashSize[] = "32M bytes";
constexpr std::size_t kVersionLength = 80;

// A narrow text inside a wide format: each byte becomes the character of
// that number.
std::string WidenNarrow(const char* text) {
  std::u16string wide;
  for (; *text != '\0'; ++text) wide.push_back(static_cast<unsigned char>(*text));
  return Utf16ToUtf8(wide);
}

}  // namespace

std::string ModuleFieldText(int identifier) {
  // 32-bit arithmetic as the controller does it: an absurd identifier wraps.
  const auto model = static_cast<std::int32_t>(static_cast<std::uint32_t>(identifier) + ModuleSeriesBase);
  return "R-" + std::to_string(model);
}

std::string SerialModuleFieldText(const SerialModuleName& name) {
  if (std::memcmp(name.data(), NoSerialModuleName, sizeof NoSerialModuleName) == 0) return {};
  return "R-" + WidenNarrow(name.data());
}

std::string SerialNumberText(const std::uint8_t* b) {
  char text[32];
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X %02X %02X %02X %02X", b[0], b[1], b[2], b[3], b[4], b[5], b[6],
                b[7]);
  return text;
}

std::string MacAddressText(const std::uint8_t* b) {
  char text[48];
  std::snprintf(text, sizeof text, "%2.2X : %2.2X : %2.2X : %2.2X : %2.2X : %2.2X", b[0], b[1], b[2], b[3], b[4],
                b[5]);
  return text;
}

std::string SdkFlashSizeText(std::int32_t bytes) { return std::to_string(bytes) + " bytes"; }

std::string WideBufferText(const char16_t* buffer, std::size_t capacity) {
  std::size_t length = 0;
  while (length < capacity && buffer[length] != u'\0') ++length;
  return Utf16ToUtf8(std::u16string_view(buffer, length));
}

SystemInfoFields GatherSystemInfo(const SystemInfoRoles& roles) {
  SystemInfoFields fields;
  ControllerSdk& sdk = roles.sdk;
  if ((sdk.Get_Slot_No() & 0xFF) != 0) {
    for (int n = 1; n <= SystemInfoSlotCount; ++n) {
      char name[8] = {};
      const int identifier = sdk.GetNameOfModule(n, name);
      std::string text = ModuleFieldText(identifier);
      if (IsSeriesText(name)) {
        text = SerialModuleFieldText(QuerySerialModuleName({roles.serialPorts, sdk, roles.clock}, n));
      }
      fields.slots[n - 1] = std::move(text);
      roles.clock.Sleep(kSlotPauseMs);
    }
  }

  std::uint8_t serial[8] = {};
  sdk.GetSystemSerialNumber(serial);
  fields.serialNumber = SerialNumberText(serial);

  std::uint8_t mac[8] = {};
  sdk.ReadMAC(mac);
  fields.macAddress = MacAddressText(mac);

  std::uint8_t scratch[8] = {};
  fields.sdkFlashSize = SdkFlashSizeText(sdk.GetFlashSize(scratch));
  // The panel always shows the size the controller is sold with.
  fields.flashSize = kVisibleFlashSize;

  char16_t version[kVersionLength] = {};
  sdk.GetOSversion(version);
  fields.osVersion = WideBufferText(version, kVersionLength);
  std::memset(version, 0, sizeof version);
  sdk.GetSDKversion(version);
  fields.sdkVersion = WideBufferText(version, kVersionLength);
  return fields;
}

}  // namespace talvon
