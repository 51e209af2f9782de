#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talvon {

// User-interface texts travel as UTF-8; the registry keeps REG_SZ data as
// UTF-16LE bytes, as the controller does.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// REG_SZ bytes of a text, with the terminating zero unit included.
std::vector<std::uint8_t> ToRegSz(std::string_view utf8);
// Text of REG_SZ bytes, up to the first zero unit (an odd last byte is ignored).
std::string FromRegSz(const std::uint8_t* data, std::size_t size);

// printf-style formatting into a string of whatever length it comes to.
__attribute__((format(printf, 1, 2))) std::string FormatText(const char* format, ...);

// A 32-bit number as the utility prints addresses and masks: "0x" and eight
// upper-case hex digits.
std::string HexWord(std::uint32_t value);

// Narrow path for the runtime's stream functions: the low 8 bits of each
// UTF-16 unit, without code-page conversion.
std::string NarrowPath(std::u16string_view path);

}  // namespace talvon
