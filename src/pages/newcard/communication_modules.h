#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace talvon {

// The backplane's I/O slots, numbered 1 to 7.
inline constexpr int NewCardSlotCount = 7;
inline constexpr bool IsSlotNumber(int slot) { return slot >= 1 && slot <= NewCardSlotCount; }

// The physical I/O base address of each slot (slot n at [n - 1]).
inline constexpr std::array<std::uint32_t, NewCardSlotCount> SlotBaseAddress = {
    0x08000100, 0x08000200, 0x08000300, 0x08000800, 0x08000900, 0x08000A00, 0x08000B00};

// The extra serial ports a communication module brings are always COM5 to
// COM8: port position p (0 to 3) is COM p + 5.
inline constexpr int SerialPortPositions = 4;
inline constexpr int FirstModuleComNumber = 5;
// Port position p raises system interrupt 0x2C + p.
inline constexpr std::uint32_t FirstModuleSysIntr = 0x2C;

enum class SerialLine { Rs232, Rs485 };

// A row of the communication module table, with the tree images of its
// module node (indices into the resource tree's image list).
struct CommunicationModule {
  int identifier;
  int ports;  // 2 or 4
  SerialLine line;
  int registeredImage;  // the selected variant follows at + 1
  int unregisteredImage;
};

// Null for an ordinary module.
const CommunicationModule* FindCommunicationModule(int identifier);
bool IsTwoPortModule(int identifier);
bool IsFourPortModule(int identifier);

// Offset of port position p from its slot's base address. A four-port module
// holds positions 0 to 3 at 0x40 to 0xA0; a two-port module only has room
// for two ports, at 0x40 and 0x60, whichever positions they take.
std::uint32_t PortIoOffset(int position, bool twoPortModule);

// "Com 5:" to "Com 8:".
std::string_view PortCaption(int position);

}  // namespace talvon
