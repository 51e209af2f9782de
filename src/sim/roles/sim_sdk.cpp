#include "sim/roles/sim_sdk.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"
#include "sim/controller/controller_config.h"

namespace talvon::sim {
namespace {

constexpr std::size_t WideBufferLength = 80;

// Copies as much of the text as fits with its terminator, never half of a
// surrogate pair.
void FillWide(char16_t* buffer, std::string_view utf8) {
  if (buffer == nullptr) return;
  std::u16string text = Utf8ToUtf16(utf8);
  std::size_t length = std::min(text.size(), WideBufferLength - 1);
  if (length > 0 && length < text.size() && text[length - 1] >= 0xD800 && text[length - 1] < 0xDC00) --length;
  std::copy_n(text.data(), length, buffer);
  buffer[length] = u'\0';
}

}  // namespace

SimSdk::SimSdk(const ControllerConfig& config, Backplane& backplane)
    : slots_(config.slots),
      serialNumber_(config.serialNumber),
      macAddress_(config.macAddress),
      sdkVersion_(config.sdkVersion),
      fallbackOsVersion_(config.osVersion),
      flashSize_(config.flashSize),
      getSlotNo_(config.getSlotNo),
      backplane_(backplane) {}

void SimSdk::ChangeSlotTo53R(std::uint8_t slot) { backplane_.SelectSlot(slot); }

std::uint32_t SimSdk::Get_Slot_No() { return getSlotNo_; }

int SimSdk::GetNameOfModule(int slot, char* name8) {
  const SlotConfig* module = (slot >= 1 && slot <= SlotCount) ? &slots_[slot - 1] : nullptr;
  const bool occupied = module != nullptr && module->occupied;
  if (name8 != nullptr) {
    std::memset(name8, 0, 8);
    if (occupied) {
      const std::string bytes = ModuleNameBytes(module->name);
      std::memcpy(name8, bytes.data(), std::min(bytes.size(), MaxModuleNameLength));
    }
  }
  return occupied ? module->identifier : NoModuleIdentifier;
}

void SimSdk::GetSystemSerialNumber(std::uint8_t* buffer8) {
  if (buffer8 != nullptr) std::copy(serialNumber_.begin(), serialNumber_.end(), buffer8);
}

void SimSdk::ReadMAC(std::uint8_t* buffer8) {
  if (buffer8 != nullptr) std::copy(macAddress_.begin(), macAddress_.end(), buffer8);
}

std::int32_t SimSdk::GetFlashSize(std::uint8_t*) { return flashSize_; }

void SimSdk::GetOSversion(char16_t* buffer80) { FillWide(buffer80, osVersion_.value_or(fallbackOsVersion_)); }

void SimSdk::GetSDKversion(char16_t* buffer80) { FillWide(buffer80, sdkVersion_); }

}  // namespace talvon::sim
