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

#include "sim/controller/hardware_config.h"

namespace talvon::sim {

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
// slot 4, slots 5 to 7 empty; 32 MiB RAM in 4 KiB pages split evenly, with
// about 1000 pages of files and 3000 pages of programs in use.
ControllerConfig DefaultControllerConfig();

// Arrays and objects nested deeper than this are refused before parsing.
inline constexpr std::size_t ControllerConfigMaxDepth = 32;

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

}  // namespace talvon::sim
