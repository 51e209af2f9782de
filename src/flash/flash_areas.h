#pragma once
#include <cstdint>

namespace talvon {

// Fixed layout of the flash window.
inline constexpr std::uint32_t FlashWindowBase = 0xBCA00000;
inline constexpr std::uint32_t FlashWindowSize = 0x02000000;  // up to 0xBEA00000
inline constexpr std::uint32_t OsImageFlashArea = 0xBCA80000;
inline constexpr std::uint32_t OsImageFlashAreaSize = 0x1EC0000;
inline constexpr std::uint32_t RegistryFlashArea = 0xBE940000;
inline constexpr std::uint32_t RegistryFlashAreaSize = 0xC0000;
inline constexpr std::uint32_t SystemFlashArea = 0xBCA80000;
inline constexpr std::uint32_t SystemFlashAreaSize = 0x1F80000;

static_assert(OsImageFlashArea + OsImageFlashAreaSize == RegistryFlashArea);
static_assert(SystemFlashAreaSize == OsImageFlashAreaSize + RegistryFlashAreaSize);

}  // namespace talvon
