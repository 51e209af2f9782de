#pragma once
#include <array>
#include <cstdint>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sdk/controller_sdk.h"

namespace talvon {

// A serial-bus module's name as asked over "COM1:": five narrow characters
// and a terminator. Five blanks when nothing usable came back.
using SerialModuleName = std::array<char, 6>;
inline constexpr char NoSerialModuleName[] = "     ";

// The reply buffer of the name question: nine bytes as received (blanks
// where nothing came) and a terminator that always stays zero.
using SerialModuleReply = std::array<char, 10>;

// The platform roles the question needs.
struct SerialModuleQueryRoles {
  SerialPorts& serialPorts;
  ControllerSdk& sdk;
  Clock& clock;
};

// Asks the serial-bus module in `slot` (1 to 7) for its name: connects the
// internal line to the slot, sends "$00M" + CR at 115200 baud 8N1, waits
// 100 ms and reads at most nine bytes. Nothing is shown on failure; the name
// is then five blanks.
SerialModuleName QuerySerialModuleName(const SerialModuleQueryRoles& roles, int slot);
// The same into a caller's 8-byte buffer (six bytes are written).
void QuerySerialModuleName(const SerialModuleQueryRoles& roles, int slot, char* name8);

// The name in a reply: "!", the two-character module address, the name, and
// one last character (the reply's CR) that is dropped. The text counts up to
// the first zero byte; a reply that does not start with "!" or is shorter
// than five characters gives five blanks. Name positions the reply does not
// reach stay blank.
SerialModuleName ParseSerialModuleReply(const SerialModuleReply& reply);

}  // namespace talvon
