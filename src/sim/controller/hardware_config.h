#pragma once
// The parts of a controller's hardware description that the simulated
// devices take: the module in a slot and the RAM figures. The whole
// description, read from controller.json, is ControllerConfig
// (controller_config.h).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talvon::sim {

inline constexpr int SlotCount = 7;

// GetNameOfModule answers this identifier, with an empty name text, for an
// empty slot (and for a slot number outside 1..7). 0 is what a scan table
// that has seen nothing holds, so "no module" and "nothing known" agree.
inline constexpr int NoModuleIdentifier = 0;

// Longest name text GetNameOfModule can write: 7 bytes and the terminator.
inline constexpr std::size_t MaxModuleNameLength = 7;
// Longest name a serial-bus module answers with on the line.
inline constexpr std::size_t MaxBusNameLength = 32;

// The bytes a module holds for a name text of controller.json (UTF-8 there):
// one Latin-1 byte per character. A text with a character beyond Latin-1,
// which controller.json refuses, goes as its UTF-8 bytes.
std::string ModuleNameBytes(std::string_view text);

// How a serial-bus module answers "$00M" + CR. The normal reply is
// "!00" + bus name + CR.
enum class BusReply {
  Normal,
  Late,           // the normal reply, but only `replyDelayMs` after the command
  Garbled,        // "!" followed by line noise (the rest of the reply, every byte XOR 0xA5)
  ZeroByte,       // the normal reply with the byte at `zeroBytePosition` replaced by 0
  NoExclamation,  // the normal reply without its leading "!"
  Silent,         // no reply at all
};

struct SlotConfig {
  bool occupied = false;
  int identifier = NoModuleIdentifier;
  std::string name;  // the text GetNameOfModule writes (at most 7 bytes, no zero byte)

  // A module with a bus name answers on "COM1:" when its slot is selected.
  std::optional<std::string> busName;
  BusReply reply = BusReply::Normal;
  std::uint32_t replyDelayMs = 0;     // Late only
  std::uint32_t zeroBytePosition = 0;  // ZeroByte only; 0 is the "!"

  bool IsSerialBusModule() const { return occupied && busName.has_value(); }
};

struct MemoryConfig {
  std::uint32_t pageSize = 4096;  // bytes; a power of two, at least 1024
  std::uint32_t totalPages = 8192;
  std::uint32_t storagePages = 4096;  // the rest is program memory
  std::uint32_t storageUsedBytes = 0;
  std::uint32_t programUsedBytes = 0;
  // Program pages beyond those in use that the kernel never gives away.
  std::uint32_t programReservePages = 32;
};

std::string_view BusReplyName(BusReply reply);

}  // namespace talvon::sim
