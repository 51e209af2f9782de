#include "platform/text.h"

#include <cstdarg>
#include <cstdio>

namespace talvon {

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp = 0xFFFD;
    std::size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4;
    }
    if (len > 1) {
      if (i + len > s.size()) {
        len = 1;
      } else {
        char32_t v = c & (0xFF >> (len + 1));
        bool ok = true;
        for (std::size_t k = 1; k < len; ++k) {
          unsigned char cc = static_cast<unsigned char>(s[i + k]);
          if ((cc & 0xC0) != 0x80) {
            ok = false;
            break;
          }
          v = (v << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not
        // characters: they become U+FFFD rather than smuggle in a NUL.
        static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && v >= kMinimum[len] && v <= 0x10FFFF && !(v >= 0xD800 && v < 0xE000)) {
          cp = v;
        } else if (ok) {
          cp = 0xFFFD;
        } else {
          len = 1;
        }
      }
    }
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::vector<std::uint8_t> ToRegSz(std::string_view utf8) {
  std::u16string w = Utf8ToUtf16(utf8);
  std::vector<std::uint8_t> out;
  out.reserve((w.size() + 1) * 2);
  for (char16_t u : w) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

std::string FromRegSz(const std::uint8_t* data, std::size_t size) {
  std::u16string w;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    char16_t u = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (u == 0) break;
    w.push_back(u);
  }
  return Utf16ToUtf8(w);
}

std::string NarrowPath(std::u16string_view path) {
  std::string out;
  out.reserve(path.size());
  for (char16_t u : path) out.push_back(static_cast<char>(u & 0xFF));
  return out;
}

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<std::size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, again);
  }
  va_end(again);
  return text;
}

std::string HexWord(std::uint32_t value) { return FormatText("0x%08X", value); }

}  // namespace talvon
