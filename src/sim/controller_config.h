#pragma once
// The hardware of a simulated controller, as described by its controller.json:
// the module in each backplane slot, the identity figures the SDK reports,
// the RAM division figures and (kept raw for the flash model) the flash banks.
//
// This is the only simulator header that includes nlohmann-json.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

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

struct ControllerConfig {
  std::array<SlotConfig, SlotCount> slots;  // slots[0] is slot 1
  std::array<std::uint8_t, 8> serialNumber{};
  std::array<std::uint8_t, 6> macAddress{};
  std::string sdkVersion;
  // Reported when the OS image carries no version text of its own.
  std::string osVersion;
  std::int32_t flashSize = 0;     // GetFlashSize
  std::uint32_t getSlotNo = 0;    // Get_Slot_No
  MemoryConfig memory;
  // The flash banks, chips and injected faults; read by the flash model.
  // Null when controller.json has no "flash" section.
  nlohmann::json flash;
};

// A plausible controller: an ordinary I/O module in slot 1, a serial-bus
// module in slot 2, a two-port RS232 module in slot 3, an ordinary module in
// slot 4, slots 5 to 7 empty; 32 MiB RAM split evenly, a quarter of it in use.
ControllerConfig DefaultControllerConfig();

// Parses controller.json text. On failure answers nullopt and sets *error to
// a message naming the field, such as "slots[3].identifier (slot 4): expected
// an integer".
std::optional<ControllerConfig> ParseControllerConfig(std::string_view jsonText, std::string* error);
std::optional<ControllerConfig> LoadControllerConfig(const std::filesystem::path& file, std::string* error);

// controller.json text of a configuration, pretty-printed.
std::string ControllerConfigToJson(const ControllerConfig& config);
// Writes the file through a temporary and a rename, so a reader never sees
// half of it.
bool SaveControllerConfig(const ControllerConfig& config, const std::filesystem::path& file, std::string* error);

std::string_view BusReplyName(BusReply reply);

}  // namespace talvon::sim
