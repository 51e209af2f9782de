#include "pages/info/serial_module_query.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace talvon {
namespace {

constexpr char kPortName[] = "COM1:";
// Start character, module address "00", command M (read name), CR.
constexpr std::uint8_t kNameCommand[] = {0x24, 0x30, 0x30, 0x4D, 0x0D};
constexpr std::uint32_t kReplyWaitMs = 100;
constexpr std::uint32_t kReplyBytes = 9;

constexpr std::uint32_t MAXDWORD = 0xFFFFFFFF;

// The modules talk at 115200 baud, 8 data bits, no parity, one stop bit.
// Only these fields change; the rest stays as the port had it.
bool ConfigureForModules(SerialPort& port) {
  SerialLineSettings settings;
  if (!port.GetLineSettings(&settings)) return false;
  settings.baudRate = 115200;
  settings.byteSize = 8;
  settings.parity = NOPARITY;
  settings.parityCheck = false;
  settings.stopBits = ONESTOPBIT;
  settings.discardNull = false;
  if (!port.SetLineSettings(settings)) return false;
  // Reads answer at once with what has arrived; a write may take 10 ms a
  // byte plus a second.
  return port.SetTimeouts(SerialTimeouts{MAXDWORD, 0, 0, 10, 1000});
}

}  // namespace

SerialModuleName ParseSerialModuleReply(const SerialModuleReply& reply) {
  SerialModuleName name;
  std::memcpy(name.data(), NoSerialModuleName, name.size());
  // The tenth byte is always zero, so the text is at most nine long.
  const auto length =
      static_cast<std::size_t>(std::find(reply.begin(), reply.end() - 1, '\0') - reply.begin());
  if (reply[0] == '!' && length > 4) {
    // Characters 3 to length - 2: at most five, since length is at most 9.
    std::copy(reply.begin() + 3, reply.begin() + static_cast<std::ptrdiff_t>(length - 1), name.begin());
  }
  return name;
}

SerialModuleName QuerySerialModuleName(const SerialModuleQueryRoles& roles, int slot) {
  std::unique_ptr<SerialPort> port = roles.serialPorts.Open(kPortName);
  // The line goes to the slot whether or not the port opened.
  roles.sdk.ChangeSlotTo53R(static_cast<std::uint8_t>(slot));

  SerialModuleReply reply;
  reply.fill(' ');
  reply.back() = '\0';
  if (port && ConfigureForModules(*port)) {
    std::uint32_t written = 0;
    port->Write(kNameCommand, sizeof kNameCommand, &written);
    roles.clock.Sleep(kReplyWaitMs);
    // Bytes that did not come keep their blanks.
    std::uint32_t received = 0;
    port->Read(reinterpret_cast<std::uint8_t*>(reply.data()), kReplyBytes, &received);
    reply.back() = '\0';
  }
  return ParseSerialModuleReply(reply);
}

void QuerySerialModuleName(const SerialModuleQueryRoles& roles, int slot, char* name8) {
  const SerialModuleName name = QuerySerialModuleName(roles, slot);
  std::memcpy(name8, name.data(), name.size());
}

}  // namespace talvon
