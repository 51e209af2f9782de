#pragma once
#include <cstdint>

// The command codes the simulated chips answer, one set per command set,
// named once for the chip models and their steppers. Kept apart from the
// driver's own names on purpose: the model is what the driver is tested
// against, so a wrong code on one side must not be wrong on both.
namespace talvon::sim {

// Intel/Sharp (CFI primary command set 1): a code at any address.
namespace intel_command {
inline constexpr std::uint8_t kReadArray = 0xFF;
inline constexpr std::uint8_t kReadIdentifier = 0x90;
inline constexpr std::uint8_t kQuery = 0x98;
inline constexpr std::uint8_t kReadStatus = 0x70;
inline constexpr std::uint8_t kClearStatus = 0x50;
inline constexpr std::uint8_t kProgramSetup = 0x40;
inline constexpr std::uint8_t kProgramSetupAlternate = 0x10;
inline constexpr std::uint8_t kEraseSetup = 0x20;
inline constexpr std::uint8_t kEraseConfirm = 0xD0;
}  // namespace intel_command

// AMD/Fujitsu (CFI primary command set 2): codes at chip word addresses,
// of which the chip decodes A10..A0 (kAddressMask).
namespace amd_command {
inline constexpr std::uint8_t kUnlock1 = 0xAA;
inline constexpr std::uint8_t kUnlock2 = 0x55;
inline constexpr std::uint8_t kProgram = 0xA0;
inline constexpr std::uint8_t kEraseSetup = 0x80;
inline constexpr std::uint8_t kSectorErase = 0x30;
inline constexpr std::uint8_t kAutoselect = 0x90;
inline constexpr std::uint8_t kQuery = 0x98;
inline constexpr std::uint8_t kReset = 0xF0;
inline constexpr std::uint32_t kUnlockWord1 = 0x555;  // 0xAA, and the command after the unlock
inline constexpr std::uint32_t kUnlockWord2 = 0x2AA;  // 0x55
inline constexpr std::uint32_t kQueryWord = 0x55;     // 0x98
inline constexpr std::uint32_t kAddressMask = 0x7FF;
}  // namespace amd_command

}  // namespace talvon::sim
