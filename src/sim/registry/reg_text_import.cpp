// REGEDIT4 import. The text is parsed and checked completely into a list of
// changes before any of them touches the store, so a bad line changes
// nothing.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/text.h"
#include "sim/registry/reg_text.h"

namespace talvon::sim {

namespace {

constexpr std::string_view RootName = "HKEY_LOCAL_MACHINE";

struct RegChange {
  enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
  Kind kind;
  std::string keyPath;
  std::string valueName;
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> data;
};

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && FoldName(s.substr(0, prefix.size())) == FoldName(prefix);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A piece of the text, in quotes, safe to print on a terminal: bytes that
// are not printable ASCII (control codes, escape sequences, a binary file's
// bytes) are written as \xNN.
std::string Quote(std::string_view s) {
  std::string quoted;
  quoted.reserve(s.size() + 2);
  quoted += '"';
  for (char c : s) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      quoted += c;
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      quoted += "\\x";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 0xF];
    }
  }
  quoted += '"';
  return quoted;
}

class RegTextParser {
 public:
  explicit RegTextParser(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
      if (line.ends_with('\r')) line.remove_suffix(1);
      lines_.push_back(line);
      if (end == std::string_view::npos) break;
      start = end + 1;
      if (start == text.size()) break;  // a final newline ends the last line
    }
  }

  bool Parse() {
    if (!ParseHeader()) return false;
    std::optional<std::string> currentKey;
    while (index_ < lines_.size()) {
      lineNumber_ = index_ + 1;
      std::string_view line = TrimRight(TrimLeft(lines_[index_++]));
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        if (!ParseKeyLine(line, &currentKey)) return false;
        continue;
      }
      if (!currentKey) return Fail("a value before any [key] line");
      if (!ParseValueLine(line, *currentKey)) return false;
    }
    return true;
  }

  const std::vector<RegChange>& Changes() const { return changes_; }
  std::size_t ErrorLine() const { return lineNumber_; }
  const std::string& Error() const { return error_; }

 private:
  bool Fail(std::string what) {
    error_ = "line " + std::to_string(lineNumber_) + ": " + what;
    return false;
  }

  bool ParseHeader() {
    while (index_ < lines_.size()) {
      lineNumber_ = index_ + 1;
      std::string_view line = TrimRight(TrimLeft(lines_[index_++]));
      if (line.empty() || line.front() == ';') continue;
      if (line == "REGEDIT4") return true;
      return Fail("expected the header REGEDIT4, found " + Quote(line.substr(0, 40)));
    }
    return Fail("no REGEDIT4 header");
  }

  bool ParseKeyLine(std::string_view line, std::optional<std::string>* currentKey) {
    if (line.back() != ']') return Fail("a key line must end with ']'");
    std::string_view inner = line.substr(1, line.size() - 2);
    bool remove = !inner.empty() && inner.front() == '-';
    if (remove) inner.remove_prefix(1);
    std::size_t separator = inner.find('\\');
    std::string_view root = inner.substr(0, separator);
    std::string_view path = separator == std::string_view::npos ? std::string_view() : inner.substr(separator + 1);
    if (FoldName(root) != FoldName(RootName) && FoldName(root) != "hklm") {
      return Fail("only HKEY_LOCAL_MACHINE exists on the controller, not " + Quote(root));
    }
    std::vector<std::string_view> elements;
    if (SplitKeyPath(path, &elements) != ERROR_SUCCESS) {
      return Fail("invalid key path " + Quote(path.substr(0, 80)) +
                  " (empty or over-long name, control character, or path over " +
                  std::to_string(MaxRegistryKeyPathLength) + " characters)");
    }
    if (remove) {
      if (elements.empty()) return Fail("HKEY_LOCAL_MACHINE itself cannot be removed");
      changes_.push_back({RegChange::Kind::DeleteKey, std::string(path), {}, REG_NONE, {}});
      currentKey->reset();
      return true;
    }
    changes_.push_back({RegChange::Kind::CreateKey, std::string(path), {}, REG_NONE, {}});
    *currentKey = std::string(path);
    return true;
  }

  // Reads a quoted string starting at line[*pos] == '"'; leaves *pos after
  // the closing quote.
  bool ParseQuoted(std::string_view line, std::size_t* pos, std::string* out) {
    ++*pos;
    while (*pos < line.size()) {
      char c = line[(*pos)++];
      if (c == '"') return true;
      if (c == '\\') {
        if (*pos >= line.size()) break;
        char escaped = line[(*pos)++];
        if (escaped != '\\' && escaped != '"') return Fail("unknown escape " + Quote(std::string("\\") + escaped));
        c = escaped;
      }
      out->push_back(c);
    }
    return Fail("text in quotes is not closed");
  }

  bool ExpectLineEnd(std::string_view rest) {
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() == ';') return true;
    return Fail("unexpected text after the value: " + Quote(rest.substr(0, 40)));
  }

  bool ParseValueLine(std::string_view line, const std::string& keyPath) {
    std::size_t pos = 0;
    std::string name;
    if (line.front() == '@') {
      pos = 1;
    } else if (line.front() == '"') {
      if (!ParseQuoted(line, &pos, &name)) return false;
    } else {
      return Fail("expected a value name in quotes, @ or a [key] line");
    }
    if (CheckValueName(name) != ERROR_SUCCESS) {
      return Fail("invalid value name (over " + std::to_string(MaxRegistryValueNameLength) +
                  " characters or a control character)");
    }
    std::string_view rest = TrimLeft(line.substr(pos));
    if (rest.empty() || rest.front() != '=') return Fail("expected '=' after the value name");
    rest = TrimLeft(rest.substr(1));

    RegChange change{RegChange::Kind::SetValue, keyPath, name, REG_NONE, {}};
    if (!rest.empty() && rest.front() == '"') {
      std::size_t at = 0;
      std::string text;
      if (!ParseQuoted(rest, &at, &text)) return false;
      if (!ExpectLineEnd(rest.substr(at))) return false;
      change.type = REG_SZ;
      change.data = ToRegSz(text);
    } else if (!rest.empty() && rest.front() == '-') {
      if (!ExpectLineEnd(rest.substr(1))) return false;
      change.kind = RegChange::Kind::DeleteValue;
    } else if (StartsWithNoCase(rest, "dword:")) {
      if (!ParseDword(rest.substr(6), &change.data)) return false;
      change.type = REG_DWORD;
    } else if (StartsWithNoCase(rest, "hex:")) {
      change.type = REG_BINARY;
      if (!ParseBytes(rest.substr(4), &change.data)) return false;
    } else if (StartsWithNoCase(rest, "hex(")) {
      std::size_t close = rest.find("):");
      if (close == std::string_view::npos) return Fail("expected hex(type): with the type in hexadecimal");
      std::string_view digits = rest.substr(4, close - 4);
      if (digits.empty() || digits.size() > 8) return Fail("value type must be 1 to 8 hexadecimal digits");
      std::uint32_t type = 0;
      for (char c : digits) {
        if (HexDigit(c) < 0) return Fail("value type " + Quote(digits) + " is not hexadecimal");
        type = type << 4 | static_cast<std::uint32_t>(HexDigit(c));
      }
      change.type = type;
      if (!ParseBytes(rest.substr(close + 2), &change.data)) return false;
    } else {
      return Fail("unknown value data " + Quote(rest.substr(0, 40)) + " (expected \"text\", dword:, hex: or hex(N):)");
    }
    if (change.data.size() > MaxRegistryValueSize) {
      return Fail("value data over " + std::to_string(MaxRegistryValueSize) + " bytes");
    }
    changes_.push_back(std::move(change));
    return true;
  }

  bool ParseDword(std::string_view digits, std::vector<std::uint8_t>* data) {
    std::size_t count = 0;
    std::uint32_t value = 0;
    while (count < digits.size() && HexDigit(digits[count]) >= 0) {
      value = value << 4 | static_cast<std::uint32_t>(HexDigit(digits[count]));
      ++count;
    }
    if (count == 0 || count > 8) return Fail("dword: needs 1 to 8 hexadecimal digits");
    if (!ExpectLineEnd(digits.substr(count))) return false;
    for (int shift = 0; shift < 32; shift += 8) data->push_back(static_cast<std::uint8_t>(value >> shift));
    return true;
  }

  // Comma-separated hexadecimal bytes; a trailing backslash continues the
  // list on the next line.
  bool ParseBytes(std::string_view rest, std::vector<std::uint8_t>* data) {
    while (true) {
      rest = TrimLeft(rest);
      if (rest.empty() || rest.front() == ';') return true;
      if (rest.front() == '\\' && TrimLeft(rest.substr(1)).empty()) {
        if (index_ >= lines_.size()) return Fail("continued line at the end of the text");
        lineNumber_ = index_ + 1;
        rest = TrimRight(lines_[index_++]);
        continue;
      }
      int high = HexDigit(rest.front());
      if (high < 0) return Fail("bad hexadecimal byte " + Quote(rest.substr(0, 8)));
      int value = high;
      rest.remove_prefix(1);
      if (!rest.empty() && HexDigit(rest.front()) >= 0) {
        value = value << 4 | HexDigit(rest.front());
        rest.remove_prefix(1);
      }
      if (data->size() >= MaxRegistryValueSize) {
        return Fail("value data over " + std::to_string(MaxRegistryValueSize) + " bytes");
      }
      data->push_back(static_cast<std::uint8_t>(value));
      rest = TrimLeft(rest);
      if (!rest.empty() && rest.front() == ',') {
        rest.remove_prefix(1);
      } else if (!rest.empty() && rest.front() != '\\' && rest.front() != ';') {
        return Fail("expected ',' between bytes, found " + Quote(rest.substr(0, 8)));
      }
    }
  }

  std::vector<std::string_view> lines_;
  std::size_t index_ = 0;
  std::size_t lineNumber_ = 0;
  std::vector<RegChange> changes_;
  std::string error_;
};

}  // namespace

RegTextResult ImportRegText(std::string_view text, RegistryStore& store) {
  RegTextParser parser(text);
  RegTextResult result;
  if (!parser.Parse()) {
    result.ok = false;
    result.line = parser.ErrorLine();
    result.error = parser.Error();
    return result;
  }
  // Every change was checked against the store's rules while parsing, so
  // none of these can fail part-way.
  RegistryKey& root = store.Root();
  for (const RegChange& change : parser.Changes()) {
    RegistryKey* key = nullptr;
    switch (change.kind) {
      case RegChange::Kind::CreateKey:
        root.CreatePath(change.keyPath, &key, nullptr);
        break;
      case RegChange::Kind::DeleteKey:
        root.DeletePath(change.keyPath);
        break;
      case RegChange::Kind::SetValue:
        if (root.CreatePath(change.keyPath, &key, nullptr) == ERROR_SUCCESS) {
          key->SetValue(change.valueName, change.type, change.data);
        }
        break;
      case RegChange::Kind::DeleteValue:
        if (root.OpenPath(change.keyPath, &key) == ERROR_SUCCESS) key->DeleteValue(change.valueName);
        break;
    }
  }
  return result;
}

}  // namespace talvon::sim
