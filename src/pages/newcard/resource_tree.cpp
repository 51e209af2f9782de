#include "pages/newcard/resource_tree.h"

#include <algorithm>
#include <optional>

#include "pages/newcard/new_card_texts.h"
#include "pages/newcard/serial_port_keys.h"
#include "platform/text.h"

namespace talvon {
namespace {

using namespace new_card_texts;

std::optional<std::uint32_t> ReadIoBase(Registry& registry, int comNumber) {
  const std::string path = PortDriverKeyPath(comNumber);
  const auto ioBase = std::find_if(PortDriverValues.begin(), PortDriverValues.end(),
                                   [](const SerialValueRow& row) { return row.source == ValueSource::IoBase; });
  std::uint32_t value = 0;
  if (ReadDwordSetting(registry, PortSetting(path, *ioBase), &value) != SettingResult::Done) return std::nullopt;
  return value;
}

ResourceTreeNode PortNode(int slot, int position, bool twoPortModule) {
  const std::uint32_t ioBase =
      SlotBaseAddress[static_cast<std::size_t>(slot - 1)] + PortIoOffset(position, twoPortModule);
  const std::uint32_t sysIntr = FirstModuleSysIntr + static_cast<std::uint32_t>(position);
  ResourceTreeNode port{std::string(PortCaption(position)), PortNodeImage, PortNodeImage, {}};
  port.children.push_back({FormatText(kIoBaseLeaf, static_cast<unsigned>(ioBase)), ResourceLeafImage, ResourceLeafImage, {}});
  port.children.push_back({FormatText(kSysIntrLeaf, static_cast<unsigned>(sysIntr)), ResourceLeafImage, ResourceLeafImage, {}});
  return port;
}

}  // namespace

SlotRegistration RegistrationOf(Registry& registry, int slot, int identifier) {
  const CommunicationModule* module = FindCommunicationModule(identifier);
  if (module == nullptr || !IsSlotNumber(slot)) return SlotRegistration::NotRegistered;
  const bool twoPort = module->ports == 2;
  const std::uint32_t base = SlotBaseAddress[static_cast<std::size_t>(slot - 1)];
  // Both tests use the offsets the registration writes: the higher module of
  // a two-port pair has COM7 at its own base + 0x40.
  if (ReadIoBase(registry, FirstModuleComNumber) == base + PortIoOffset(0, twoPort)) return SlotRegistration::AllPorts;
  if (ReadIoBase(registry, FirstModuleComNumber + 2) == base + PortIoOffset(2, twoPort)) {
    return SlotRegistration::HighPair;
  }
  return SlotRegistration::NotRegistered;
}

std::vector<ResourceTreeNode> ResourceTreeNodes(Registry& registry, const SlotScanTable& table) {
  std::vector<ResourceTreeNode> nodes;
  for (int slot = 1; slot <= NewCardSlotCount; ++slot) {
    const SlotScanEntry& entry = table.Slot(slot);
    if (entry.moduleText.empty()) continue;
    const CommunicationModule* module = FindCommunicationModule(entry.identifier);
    if (module == nullptr) {
      nodes.push_back({entry.nodeText, OrdinaryModuleImage, OrdinaryModuleImage + 1, {}});
      continue;
    }
    const SlotRegistration registration = RegistrationOf(registry, slot, entry.identifier);
    const int image =
        registration == SlotRegistration::NotRegistered ? module->unregisteredImage : module->registeredImage;
    ResourceTreeNode node{entry.nodeText, image, image + 1, {}};
    const bool twoPort = module->ports == 2;
    if (registration == SlotRegistration::AllPorts) {
      for (int position = 0; position < module->ports; ++position) {
        node.children.push_back(PortNode(slot, position, twoPort));
      }
    } else if (registration == SlotRegistration::HighPair) {
      for (int position = 2; position < SerialPortPositions; ++position) {
        node.children.push_back(PortNode(slot, position, twoPort));
      }
    }
    nodes.push_back(std::move(node));
  }
  return nodes;
}

int SlotDigitOf(std::string_view text) {
  if (text.size() <= 5 || text[5] < '1' || text[5] > '9') return 0;
  return text[5] - '0';
}

int SelectedSlot(const CTreeCtrl& tree) {
  for (TreeItemHandle item = tree.GetSelectedItem(); item != 0; item = tree.GetParentItem(item)) {
    const int digit = SlotDigitOf(tree.GetItemText(item));
    if (digit != 0) return IsSlotNumber(digit) ? digit : 0;
  }
  return 0;
}

}  // namespace talvon
