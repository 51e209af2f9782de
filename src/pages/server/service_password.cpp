#include "pages/server/service_password.h"

namespace talvon {

std::u16string ScrambleServicePassword(std::u16string_view text) {
  std::u16string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(out[i] ^ char16_t{ServicePasswordKey[i % ServicePasswordKey.size()]});
  }
  return out;
}

std::vector<std::uint8_t> ServicePasswordPa1(std::u16string_view password) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(password.size() * 2);
  for (char16_t unit : ScrambleServicePassword(password)) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

std::optional<std::u16string> ServicePasswordFromStored(std::span<const std::uint8_t> pa1, std::uint32_t pa2) {
  if (pa2 > MaxServicePasswordLength || pa1.size() != std::size_t{pa2} * 2) return std::nullopt;
  std::u16string scrambled;
  for (std::size_t i = 0; i + 1 < pa1.size(); i += 2) {
    scrambled.push_back(static_cast<char16_t>(pa1[i] | pa1[i + 1] << 8));
  }
  return ScrambleServicePassword(scrambled);
}

}  // namespace talvon
