// REGEDIT4 export, written so that importing it gives back exactly the
// bytes of every value.
#include <cstdio>

#include "platform/text.h"
#include "sim/registry/reg_text.h"

namespace talvon::sim {

namespace {

// Bytes per line before the byte list wraps, as the usual tools write it.
constexpr std::size_t WrapColumn = 76;

std::string Escape(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  for (char c : s) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

// The text of a REG_SZ when its bytes are exactly one terminated string
// that survives the trip through text unchanged.
bool CleanString(const std::vector<std::uint8_t>& data, std::string* text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  std::u16string units;
  for (std::size_t i = 0; i + 2 < data.size(); i += 2) {
    char16_t u = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (u < 0x20 || u == 0x7F) return false;  // also refuses a zero inside
    units.push_back(u);
  }
  if (data[data.size() - 2] != 0 || data[data.size() - 1] != 0) return false;
  *text = Utf16ToUtf8(units);
  return Utf8ToUtf16(*text) == units;
}

void AppendHex(std::string& out, std::string_view prefix, const std::vector<std::uint8_t>& data) {
  static constexpr char Digits[] = "0123456789abcdef";
  out += prefix;
  std::size_t column = out.size() - (out.rfind('\n') + 1);
  for (std::size_t i = 0; i < data.size(); ++i) {
    out += Digits[data[i] >> 4];
    out += Digits[data[i] & 0xF];
    column += 2;
    if (i + 1 < data.size()) {
      out += ',';
      ++column;
      if (column >= WrapColumn) {
        out += "\\\n  ";
        column = 2;
      }
    }
  }
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  out += Escape(text);
  out += '"';
}

void AppendValue(std::string& out, const RegistryValue& value) {
  if (value.name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, value.name);
  }
  out += '=';
  std::string text;
  char prefix[24];
  if (value.type == REG_SZ && CleanString(value.data, &text)) {
    AppendQuoted(out, text);
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    std::snprintf(prefix, sizeof prefix, "dword:%02x%02x%02x%02x", value.data[3], value.data[2], value.data[1],
                  value.data[0]);
    out += prefix;
  } else if (value.type == REG_BINARY) {
    AppendHex(out, "hex:", value.data);
  } else {
    std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
    AppendHex(out, prefix, value.data);
  }
  out += '\n';
}

void AppendKey(std::string& out, const RegistryKey& key) {
  if (!key.IsRoot() || key.ValueCount() > 0) {
    out += "[HKEY_LOCAL_MACHINE";
    if (!key.IsRoot()) {
      out += '\\';
      out += key.Path();
    }
    out += "]\n";
    for (std::size_t i = 0; i < key.ValueCount(); ++i) AppendValue(out, key.ValueAt(i));
    out += '\n';
  }
  for (std::size_t i = 0; i < key.SubkeyCount(); ++i) AppendKey(out, key.SubkeyAt(i));
}

}  // namespace

std::string ExportRegText(const RegistryStore& store) {
  std::string out = "REGEDIT4\n\n";
  AppendKey(out, store.Root());
  return out;
}

}  // namespace talvon::sim
