#include "flash/os_image_version.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "flash/flash_areas.h"
#include "platform/little_endian.h"

namespace talvon {
namespace {

// Well-formed UTF-8 without control characters, overlong forms or surrogates.
bool IsPrintableUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<std::uint8_t>(text[i]);
    if (lead < 0x80) {
      if (lead < 0x20 || lead == 0x7F) return false;
      ++i;
      continue;
    }
    std::size_t extra;
    std::uint32_t code;
    if ((lead & 0xE0) == 0xC0) {
      extra = 1, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, code = lead & 0x07;
    } else {
      return false;
    }
    if (extra >= text.size() - i) return false;  // cut short
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<std::uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    if (code >= 0x80 && code < 0xA0) return false;  // C1 controls
    i += extra + 1;
  }
  return true;
}

}  // namespace

bool IsValidOsVersion(std::string_view version) {
  return !version.empty() && version.size() <= OsVersionMaxLength && IsPrintableUtf8(version);
}

bool OsAreaHoldsImage(std::span<const std::uint8_t> head) {
  return head.size() >= OsRomSignatureOffset + 4 && LoadLe32(head.data() + OsRomSignatureOffset) == OsRomSignature;
}

std::optional<std::string> ReadOsVersion(std::span<const std::uint8_t> head) {
  if (head.size() < OsVersionTextOffset) return std::nullopt;
  if (std::memcmp(head.data() + OsVersionRecordOffset, OsVersionTag, 4) != 0) return std::nullopt;
  const std::uint32_t length = LoadLe32(head.data() + OsVersionRecordOffset + 4);
  if (length == 0 || length > OsVersionMaxLength || head.size() - OsVersionTextOffset < length) return std::nullopt;
  std::string text(reinterpret_cast<const char*>(head.data() + OsVersionTextOffset), length);
  if (!IsValidOsVersion(text)) return std::nullopt;
  return text;
}

bool OsAreaHoldsImage(FlashWindow& flash) {
  std::uint8_t head[OsRomSignatureOffset + 4];
  flash.CopyOut(OsImageFlashArea, head, sizeof head);
  return OsAreaHoldsImage(head);
}

std::optional<std::string> ReadOsVersion(FlashWindow& flash) {
  std::uint8_t head[OsImageHeadSize];
  flash.CopyOut(OsImageFlashArea, head, sizeof head);
  return ReadOsVersion(head);
}

OsAreaFinding InspectOsArea(FlashWindow& flash) {
  OsAreaFinding finding;
  finding.boots = OsAreaHoldsImage(flash);
  std::vector<std::uint8_t> piece(1u << 20);
  for (std::uint32_t offset = 0; offset < OsImageFlashAreaSize; offset += static_cast<std::uint32_t>(piece.size())) {
    const std::size_t n = std::min<std::size_t>(piece.size(), OsImageFlashAreaSize - offset);
    flash.CopyOut(OsImageFlashArea + offset, piece.data(), n);
    for (std::size_t i = 0; i < n; ++i) finding.usedBytes += piece[i] != 0xFF;
  }
  char text[200];
  if (finding.boots) {
    std::snprintf(text, sizeof text, "an image with the ROM signature (%llu bytes in use)",
                  static_cast<unsigned long long>(finding.usedBytes));
  } else if (finding.usedBytes == 0) {
    std::snprintf(text, sizeof text, "no image: the area is erased");
  } else {
    std::snprintf(text, sizeof text,
                  "no bootable image: %llu bytes of data but no ROM signature at 0x%08X (an image write that did not "
                  "finish)",
                  static_cast<unsigned long long>(finding.usedBytes), OsImageFlashArea + OsRomSignatureOffset);
  }
  finding.text = text;
  return finding;
}

std::vector<std::uint8_t> OsImageHead(std::string_view version) {
  if (!version.empty() && !IsValidOsVersion(version)) return {};
  std::vector<std::uint8_t> head(version.empty() ? OsRomSignatureOffset + 4 : OsVersionTextOffset + version.size());
  StoreLe32(head.data() + OsRomSignatureOffset, OsRomSignature);
  if (!version.empty()) {
    std::memcpy(head.data() + OsVersionRecordOffset, OsVersionTag, 4);
    StoreLe32(head.data() + OsVersionRecordOffset + 4, static_cast<std::uint32_t>(version.size()));
    std::memcpy(head.data() + OsVersionTextOffset, version.data(), version.size());
  }
  return head;
}

}  // namespace talvon
