#pragma once
#include <cstdint>

#include "pages/newcard/slot_scan.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "sdk/controller_sdk.h"

namespace talvon {

// The roles the registration and the removal work with. Key failures are
// told in application-level boxes and the work goes on; a value that cannot
// be set is answered to the caller.
struct SerialPortRoles {
  Registry& registry;
  ControllerSdk& sdk;
  AppMessageBoxes& boxes;
};

// What the registration keeps for the run: the last scan and the higher slot
// of the last pair of two-port modules (0: none).
struct SerialPortRegistrationState {
  const SlotScanTable& scan;
  std::int32_t& PairHighSlot;
};

// Writes COM5 to COM8 for the module in `slot`: each port's driver key
// "Drivers\BuiltIn\Serial%d" and its "Unimodem" key, created then opened; a
// key that fails is told ("RegCreateKeyEx Failed", "RegOpenKeyEx Failed"),
// skipped, and the loop goes on. A two-port module takes COM7 and COM8 from
// PairHighSlot; with no pair, it has only COM5 and COM6, and the COM7 and
// COM8 keys of an earlier registration are deleted, so no driver is left
// pointing at a slot without its module. Every value is tried; answers false
// when one or more could not be set.
bool RegisterSerialPorts(const SerialPortRoles& roles, const SerialPortRegistrationState& state, int slot);

enum class ModuleChange {
  Rebooting,               // written and flushed; Reset_TalVon called
  NotCommunicationModule,  // nothing usable selected: nothing written
  SetFailed,               // a value could not be set: the rest written, nothing flushed, no reboot
  FlushFailed,             // written, but not stored; no reboot
};

// Change To New Module for the slot selected in the tree (0: none). A
// four-port module, or a lone two-port module, is registered from its own
// slot; of a pair of two-port modules, COM5 and COM6 always come from the
// lower slot and COM7 and COM8 from the higher, whichever was selected. Then,
// when every value was set, the registry is flushed and the controller
// reboots, without a question.
ModuleChange ChangeToNewModule(const SerialPortRoles& roles, const SerialPortRegistrationState& state,
                               int selectedSlot);

enum class PortRemoval {
  Rebooting,    // removed and flushed; Reset_TalVon called
  FlushFailed,  // removed, but not stored; no reboot
};

// Del: deletes the "Unimodem" key, the eleven driver values (each one that
// will not go is told: "AutoRun RegSetValueEx Failed") and the driver key of
// COM5 to COM8, flushes the registry and reboots.
PortRemoval RemoveSerialPorts(const SerialPortRoles& roles);

}  // namespace talvon
