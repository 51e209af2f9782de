#pragma once
// The service password that the FTP and Telnet servers accept, as the
// controller stores it: "Pa1" holds the scrambled text, two bytes per
// UTF-16 unit, little-endian; "Pa2" holds its length in units.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talvon {

// The servers unscramble "Pa1" with these six bytes: changing them locks
// every controller's services out of the stored password.
inline constexpr std::array<std::uint8_t, 6> ServicePasswordKey = {0x5A, 0x3C, 0x96, 0x0F, 0xA5, 0x71};

// The most units the page and the servers take.
inline constexpr std::size_t MaxServicePasswordLength = 9;

// Unit i is combined with key byte i mod 6 (only its low byte changes).
// The same call unscrambles: applying it twice gives the text back.
std::u16string ScrambleServicePassword(std::u16string_view text);

// "Pa1" of a password: its scrambled units, little-endian.
std::vector<std::uint8_t> ServicePasswordPa1(std::u16string_view password);
// The password of a stored "Pa1" and "Pa2": none when "Pa1" does not hold
// exactly "Pa2" units or "Pa2" is beyond MaxServicePasswordLength.
std::optional<std::u16string> ServicePasswordFromStored(std::span<const std::uint8_t> pa1, std::uint32_t pa2);

}  // namespace talvon
