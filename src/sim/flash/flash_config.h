#pragma once
#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <vector>

// The flash hardware of a simulated controller: banks of interleaved CFI
// chips one after another from the window base, and the faults to inject.
// Kept in the "flash" section of controller.json.
namespace talvon::sim {

// One erase-block region of a chip, as its CFI table states it.
struct FlashRegion {
  std::uint32_t blockSize = 0;   // bytes per block of one chip: 128, or a multiple of 256
  std::uint32_t blockCount = 0;  // 1 to 65536
};

// Typical and maximal times from the CFI table; powers of two, since the
// table keeps exponents. They set the projected hardware time and the
// bounds a driver derives for its polls.
struct FlashTiming {
  std::uint32_t wordProgramUs = 128;
  std::uint32_t wordProgramMaxUs = 2048;
  std::uint32_t blockEraseMs = 1024;
  std::uint32_t blockEraseMaxMs = 16384;
};

struct FlashBankConfig {
  std::uint32_t commandSet = 1;  // 1 Intel/Sharp, 2 AMD/Fujitsu
  std::uint32_t busWidth = 4;    // bytes: 1, 2 or 4
  std::uint32_t chips = 2;       // interleaved chips: 1, 2 or 4, at most busWidth
  std::uint32_t deviceSize = 16u << 20;  // bytes per chip, a power of two
  std::vector<FlashRegion> regions{{128u << 10, 128}};  // must add up to deviceSize
  FlashTiming timing;
  // How many status reads show an operation busy before it is done.
  std::uint32_t programPolls = 1;
  std::uint32_t erasePolls = 4;
  // Extra busy reads per chip (empty, or one entry per chip): interleaved
  // chips that finish at different times.
  std::vector<std::uint32_t> chipExtraPolls;
};

// Addresses are window addresses (0xBCA00000 to 0xBEA00000).
struct FlashEraseFailure {
  std::uint32_t address = 0;          // any address in the block
  std::optional<std::uint32_t> chip;  // one chip of the bank; every chip when empty
};

// Bits that read as `stuckHigh` whatever is programmed or erased.
struct FlashStuckBits {
  std::uint32_t address = 0;
  std::uint8_t mask = 0;
  bool stuckHigh = false;
};

struct FlashChipRef {
  std::uint32_t bank = 0;
  std::uint32_t chip = 0;
};

struct FlashFaults {
  std::vector<FlashEraseFailure> eraseFailures;
  std::vector<std::uint32_t> programFailures;  // the chip holding this byte fails to program its word
  std::vector<FlashStuckBits> stuckBits;
  std::vector<FlashChipRef> neverReady;  // busy for ever once an operation starts
  std::vector<FlashChipRef> noCfi;       // ignores the query command
  std::uint64_t powerLossAtCycle = 0;    // power fails before this bus cycle (1-based); 0: never
};

struct FlashConfig {
  std::vector<FlashBankConfig> banks{FlashBankConfig{}};
  FlashFaults faults;
};

// One bank of two 16-bit Intel chips of 16 MiB on the 32-bit bus.
FlashConfig DefaultFlashConfig();

// chips x device size.
std::uint32_t FlashBankSize(const FlashBankConfig& bank);

// Checks a layout and its faults; on failure names the field in *error.
bool ValidateFlashConfig(const FlashConfig& config, std::string* error);

// The registry area holds two copies of the registry, one in each of its
// first two 256 KiB parts (see flash_hive_storage.h).
inline constexpr std::uint32_t RegistryCopySize = 0x40000;

// What the controller's own software needs of a layout beyond what the
// chips can be: no erase block may cross the start of the OS image area,
// of the registry area or of the registry's second copy. On failure names
// the layout and the block in *error.
bool CheckControllerFlashLayout(const FlashConfig& config, std::string* error);

// The "flash" section of controller.json. Missing fields take the default;
// unknown fields and bad values are refused with the field named. *out is
// changed only on success.
bool ParseFlashConfig(const nlohmann::json& j, FlashConfig* out, std::string* error);
nlohmann::json FlashConfigToJson(const FlashConfig& config);

}  // namespace talvon::sim
