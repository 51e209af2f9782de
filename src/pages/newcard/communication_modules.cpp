#include "pages/newcard/communication_modules.h"

#include "sdk/controller_sdk.h"

namespace talvon {
namespace {

constexpr std::array<CommunicationModule, 4> kModules = {{
    {ModuleTwoPortRs232, 2, SerialLine::Rs232, 0, 2},
    {ModuleFourPortRs232, 4, SerialLine::Rs232, 4, 6},
    {ModuleTwoPortRs485, 2, SerialLine::Rs485, 8, 10},
    {ModuleFourPortRs485, 4, SerialLine::Rs485, 12, 14},
}};

constexpr std::array<std::uint32_t, SerialPortPositions> kFourPortOffsets = {0x40, 0x60, 0x80, 0xA0};
constexpr std::array<std::uint32_t, SerialPortPositions> kTwoPortOffsets = {0x40, 0x60, 0x40, 0x60};
constexpr std::array<std::string_view, SerialPortPositions> kCaptions = {"Com 5:", "Com 6:", "Com 7:", "Com 8:"};

}  // namespace

const CommunicationModule* FindCommunicationModule(int identifier) {
  for (const CommunicationModule& module : kModules) {
    if (module.identifier == identifier) return &module;
  }
  return nullptr;
}

bool IsTwoPortModule(int identifier) {
  const CommunicationModule* module = FindCommunicationModule(identifier);
  return module != nullptr && module->ports == 2;
}

bool IsFourPortModule(int identifier) {
  const CommunicationModule* module = FindCommunicationModule(identifier);
  return module != nullptr && module->ports == 4;
}

std::uint32_t PortIoOffset(int position, bool twoPortModule) {
  if (position < 0 || position >= SerialPortPositions) return 0;
  return twoPortModule ? kTwoPortOffsets[position] : kFourPortOffsets[position];
}

std::string_view PortCaption(int position) {
  if (position < 0 || position >= SerialPortPositions) return {};
  return kCaptions[position];
}

}  // namespace talvon
