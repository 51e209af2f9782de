#include "pages/newcard/serial_port_registration.h"

#include <algorithm>

#include "pages/newcard/new_card_texts.h"
#include "pages/newcard/serial_port_keys.h"

namespace talvon {
namespace {

using namespace new_card_texts;

// Creates the key (opening it when it exists), then opens it with all
// access and writes the rows in order. A key that fails is told and its
// values are skipped; every value is tried even after one is refused.
// Answers false when a value could not be set.
template <std::size_t N>
bool WriteKey(const SerialPortRoles& roles, const std::string& path, const std::array<SerialValueRow, N>& rows,
              const SerialPortContext& port) {
  Registry& registry = roles.registry;
  HKEY created = 0;
  if (registry.CreateKey(HKEY_LOCAL_MACHINE, path, &created, nullptr) != ERROR_SUCCESS) {
    roles.boxes.AppMessageBox(kCreateKeyFailed, MB_OK);
    return true;
  }
  registry.CloseKey(created);
  SettingsKey key(registry, path);
  if (!key.IsOpen()) {
    roles.boxes.AppMessageBox(kOpenKeyFailed, MB_OK);
    return true;
  }
  bool allSet = true;
  for (const SerialValueRow& row : rows) {
    if (key.WriteBytes(PortSetting(path, row), SerialValueData(row, port)) != SettingResult::Done) allSet = false;
  }
  return allSet;
}

// Flushes and reboots; a registry that cannot be stored must not be thrown
// away by a reboot.
bool FlushAndReboot(const SerialPortRoles& roles) {
  if (roles.registry.FlushKey(HKEY_LOCAL_MACHINE) != ERROR_SUCCESS) return false;
  roles.sdk.Reset_TalVon();
  return true;
}

}  // namespace

bool RegisterSerialPorts(const SerialPortRoles& roles, const SerialPortRegistrationState& state, int slot) {
  if (!IsSlotNumber(slot)) return true;
  bool allSet = true;
  const int firstSlot = slot;
  for (int position = 0; position < SerialPortPositions; ++position) {
    const int comNumber = FirstModuleComNumber + position;
    if (position >= 2 && IsTwoPortModule(state.scan.Slot(firstSlot).identifier)) {
      // With no partner in another slot there is nothing for COM7 and COM8.
      const int high = state.PairHighSlot;
      if (!IsSlotNumber(high) || high == firstSlot || !IsTwoPortModule(state.scan.Slot(high).identifier)) {
        roles.registry.DeleteKey(HKEY_LOCAL_MACHINE, PortDriverKeyPath(comNumber));
        continue;
      }
      slot = high;
    }
    const int identifier = state.scan.Slot(slot).identifier;
    const CommunicationModule* module = FindCommunicationModule(identifier);
    const SerialPortContext port{
        .comNumber = comNumber,
        .position = position,
        .line = module != nullptr ? module->line : SerialLine::Rs232,
        .ioBase = SlotBaseAddress[static_cast<std::size_t>(slot - 1)] +
                  PortIoOffset(position, IsTwoPortModule(identifier)),
    };
    allSet &= WriteKey(roles, PortDriverKeyPath(comNumber), PortDriverValues, port);
    allSet &= WriteKey(roles, ModemKeyPath(comNumber), ModemValues, port);
  }
  return allSet;
}

ModuleChange ChangeToNewModule(const SerialPortRoles& roles, const SerialPortRegistrationState& state,
                               int selectedSlot) {
  const int identifier = IsSlotNumber(selectedSlot) ? state.scan.Slot(selectedSlot).identifier : 0;
  bool allSet = true;
  if (IsFourPortModule(identifier)) {
    allSet = RegisterSerialPorts(roles, state, selectedSlot);
  } else if (IsTwoPortModule(identifier)) {
    int lowSlot = selectedSlot;
    if (state.scan.twoPortCount >= 2) {
      for (int other = 1; other <= NewCardSlotCount; ++other) {
        if (other == selectedSlot || !IsTwoPortModule(state.scan.Slot(other).identifier)) continue;
        state.PairHighSlot = std::max(selectedSlot, other);
        lowSlot = std::min(selectedSlot, other);
      }
    }
    allSet = RegisterSerialPorts(roles, state, lowSlot);
  } else {
    return ModuleChange::NotCommunicationModule;
  }
  // A driver key left half written must not be stored and booted into.
  if (!allSet) return ModuleChange::SetFailed;
  return FlushAndReboot(roles) ? ModuleChange::Rebooting : ModuleChange::FlushFailed;
}

PortRemoval RemoveSerialPorts(const SerialPortRoles& roles) {
  Registry& registry = roles.registry;
  for (int comNumber = FirstModuleComNumber; comNumber < FirstModuleComNumber + SerialPortPositions; ++comNumber) {
    const std::string path = PortDriverKeyPath(comNumber);
    registry.DeleteKey(HKEY_LOCAL_MACHINE, ModemKeyPath(comNumber));
    HKEY key = 0;
    if (registry.OpenKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      for (std::string_view name : PortDriverValuesRemoved) {
        if (registry.DeleteValue(key, name) != ERROR_SUCCESS) roles.boxes.AppMessageBox(kDeleteValueFailed, MB_OK);
      }
      registry.CloseKey(key);
    }
    registry.DeleteKey(HKEY_LOCAL_MACHINE, path);
  }
  return FlushAndReboot(roles) ? PortRemoval::Rebooting : PortRemoval::FlushFailed;
}

}  // namespace talvon
