// Reading controller.json. Every field is checked, and the first problem is
// reported with the path of the field that holds it, so a person editing the
// file by hand can find it. Missing top-level fields and memory figures take
// the default controller's values; a module entry must be complete.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "sim/controller/controller_config.h"
#include "sim/roles/controller_path.h"

namespace talvon::sim {
namespace {

using Json = nlohmann::json;

struct ConfigError {
  std::string message;
};

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
  throw ConfigError{path.empty() ? what : path + ": " + what};
}

std::string Join(const std::string& path, std::string_view key) {
  return path.empty() ? std::string(key) : path + "." + std::string(key);
}

std::string SlotPath(std::size_t index) {
  return "slots[" + std::to_string(index) + "]";
}

// Field paths inside a slot entry also say which slot they are about,
// since array positions count from 0 and slots from 1.
std::string SlotFieldPath(std::size_t index, std::string_view key) {
  return SlotPath(index) + "." + std::string(key) + " (slot " + std::to_string(index + 1) + ")";
}

void RejectUnknownKeys(const Json& object, const std::string& path,
                       std::initializer_list<std::string_view> known) {
  for (const auto& item : object.items()) {
    bool found = false;
    for (std::string_view k : known) found = found || item.key() == k;
    if (!found) Fail(Join(path, item.key()), "unknown field");
  }
}

std::int64_t ReadInteger(const Json& value, const std::string& path, std::int64_t low, std::int64_t high) {
  if (!value.is_number_integer()) Fail(path, "expected an integer");
  bool inRange = false;
  std::int64_t n = 0;
  if (value.is_number_unsigned()) {
    const std::uint64_t u = value.get<std::uint64_t>();
    inRange = high >= 0 && u <= static_cast<std::uint64_t>(high);
    if (inRange) n = static_cast<std::int64_t>(u);
  } else {
    n = value.get<std::int64_t>();
    inRange = n <= high;
  }
  if (!inRange || n < low) {
    Fail(path, "must be between " + std::to_string(low) + " and " + std::to_string(high));
  }
  return n;
}

std::uint32_t ReadUint32(const Json& value, const std::string& path) {
  return static_cast<std::uint32_t>(ReadInteger(value, path, 0, std::numeric_limits<std::uint32_t>::max()));
}

std::string ReadText(const Json& value, const std::string& path, std::size_t maxBytes) {
  if (!value.is_string()) Fail(path, "expected a text");
  std::string text = value.get<std::string>();
  if (text.find('\0') != std::string::npos) Fail(path, "must not contain a zero character");
  if (text.size() > maxBytes) Fail(path, "longer than " + std::to_string(maxBytes) + " bytes");
  return text;
}

// A module keeps its name one byte per character, in Latin-1: the limit
// counts those characters, and a character beyond Latin-1 cannot be held.
std::string ReadModuleText(const Json& value, const std::string& path, std::size_t maxCharacters) {
  std::string text = ReadText(value, path, std::numeric_limits<std::size_t>::max());
  const std::optional<std::string> bytes = Utf8ToLatin1(text);
  if (!bytes) Fail(path, "has a character beyond Latin-1, which a module cannot hold");
  if (bytes->size() > maxCharacters) Fail(path, "longer than " + std::to_string(maxCharacters) + " characters");
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "54 35 21 07 00 01 2A 9C", "02:1A:7C:00:3B:5E" or the digits run together.
template <std::size_t N>
std::array<std::uint8_t, N> ReadHexBytes(const Json& value, const std::string& path, const char* example) {
  const std::string expected =
      "expected " + std::to_string(N) + " bytes in hexadecimal, such as \"" + example + "\"";
  if (!value.is_string()) Fail(path, expected);
  const std::string text = value.get<std::string>();
  std::array<std::uint8_t, N> bytes{};
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == ' ' || c == ':' || c == '-') {
      ++i;
      continue;
    }
    if (i + 1 >= text.size() || HexDigit(c) < 0 || HexDigit(text[i + 1]) < 0 || count == N) {
      Fail(path, expected);
    }
    bytes[count++] = static_cast<std::uint8_t>(HexDigit(c) * 16 + HexDigit(text[i + 1]));
    i += 2;
  }
  if (count != N) Fail(path, expected);
  return bytes;
}

BusReply ReadBusReply(const Json& value, const std::string& path) {
  static constexpr BusReply all[] = {BusReply::Normal,   BusReply::Late,          BusReply::Garbled,
                                     BusReply::ZeroByte, BusReply::NoExclamation, BusReply::Silent};
  std::string choices;
  if (value.is_string()) {
    for (BusReply r : all) {
      if (value.get<std::string>() == BusReplyName(r)) return r;
    }
  }
  for (BusReply r : all) choices += (choices.empty() ? "\"" : ", \"") + std::string(BusReplyName(r)) + "\"";
  Fail(path, "expected one of " + choices);
}

SlotConfig ReadSlot(const Json& entry, std::size_t index) {
  SlotConfig slot;
  if (entry.is_null()) return slot;
  if (!entry.is_object()) {
    Fail(SlotPath(index) + " (slot " + std::to_string(index + 1) + ")",
         "expected a module object, or null for an empty slot");
  }
  RejectUnknownKeys(entry, SlotPath(index),
                    {"identifier", "name", "busName", "reply", "replyDelayMs", "zeroBytePosition"});
  auto field = [&](std::string_view key) { return SlotFieldPath(index, key); };
  if (!entry.contains("identifier")) Fail(field("identifier"), "missing");
  if (!entry.contains("name")) Fail(field("name"), "missing");
  slot.occupied = true;
  slot.identifier = static_cast<int>(ReadInteger(entry["identifier"], field("identifier"),
                                                 std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()));
  slot.name = ReadModuleText(entry["name"], field("name"), MaxModuleNameLength);

  const bool bus = entry.contains("busName");
  if (bus) {
    slot.busName = ReadModuleText(entry["busName"], field("busName"), MaxBusNameLength);
  }
  for (std::string_view key : {"reply", "replyDelayMs", "zeroBytePosition"}) {
    if (!bus && entry.contains(key)) Fail(field(key), "only a serial-bus module (one with a busName) answers");
  }
  if (entry.contains("reply")) slot.reply = ReadBusReply(entry["reply"], field("reply"));

  if (slot.reply == BusReply::Late) {
    if (!entry.contains("replyDelayMs")) Fail(field("replyDelayMs"), "missing (required for a late reply)");
    slot.replyDelayMs = ReadUint32(entry["replyDelayMs"], field("replyDelayMs"));
  } else if (entry.contains("replyDelayMs")) {
    Fail(field("replyDelayMs"), "only for \"reply\": \"late\"");
  }

  if (slot.reply == BusReply::ZeroByte) {
    if (!entry.contains("zeroBytePosition")) {
      Fail(field("zeroBytePosition"), "missing (required for a zeroByte reply)");
    }
    // The reply is "!00", the bus name and a carriage return.
    const std::int64_t last = static_cast<std::int64_t>(3 + ModuleNameBytes(*slot.busName).size());
    slot.zeroBytePosition =
        static_cast<std::uint32_t>(ReadInteger(entry["zeroBytePosition"], field("zeroBytePosition"), 0, last));
  } else if (entry.contains("zeroBytePosition")) {
    Fail(field("zeroBytePosition"), "only for \"reply\": \"zeroByte\"");
  }
  return slot;
}

void ReadSlots(const Json& value, ControllerConfig& config) {
  if (!value.is_array() || value.size() != SlotCount) {
    Fail("slots", "expected an array of " + std::to_string(SlotCount) + " entries (null for an empty slot)");
  }
  for (std::size_t i = 0; i < SlotCount; ++i) config.slots[i] = ReadSlot(value[i], i);
}

void ReadMemory(const Json& value, MemoryConfig& m) {
  const std::string path = "memory";
  if (!value.is_object()) Fail(path, "expected an object");
  RejectUnknownKeys(value, path,
                    {"pageSize", "totalPages", "storagePages", "storageUsedBytes", "programUsedBytes",
                     "programReservePages"});
  auto read = [&](std::string_view key, std::uint32_t& target) {
    if (value.contains(key)) target = ReadUint32(value[std::string(key)], Join(path, key));
  };
  read("pageSize", m.pageSize);
  read("totalPages", m.totalPages);
  read("storagePages", m.storagePages);
  read("storageUsedBytes", m.storageUsedBytes);
  read("programUsedBytes", m.programUsedBytes);
  read("programReservePages", m.programReservePages);

  if (m.pageSize < 1024 || m.pageSize > 65536 || (m.pageSize & (m.pageSize - 1)) != 0) {
    Fail("memory.pageSize", "must be a power of two from 1024 to 65536");
  }
  const std::uint64_t totalBytes = std::uint64_t{m.totalPages} * m.pageSize;
  if (m.totalPages == 0 || totalBytes > std::numeric_limits<std::uint32_t>::max()) {
    Fail("memory.totalPages", "the RAM (pages times page size) must be between one page and 4 GiB - 1");
  }
  if (m.storagePages > m.totalPages) Fail("memory.storagePages", "more than totalPages");
  const std::uint64_t storageBytes = std::uint64_t{m.storagePages} * m.pageSize;
  if (m.storageUsedBytes > storageBytes) {
    Fail("memory.storageUsedBytes", "more than the storage pages hold (" + std::to_string(storageBytes) + " bytes)");
  }
  const std::uint64_t programBytes = totalBytes - storageBytes;
  if (m.programUsedBytes > programBytes) {
    Fail("memory.programUsedBytes",
         "more than the program pages hold (" + std::to_string(programBytes) + " bytes)");
  }
  if (m.programReservePages > m.totalPages) Fail("memory.programReservePages", "more than totalPages");
}

ControllerConfig ReadConfig(const Json& root) {
  if (!root.is_object()) Fail("", "expected a JSON object at the top level");
  RejectUnknownKeys(root, "",
                    {"serialNumber", "macAddress", "sdkVersion", "osVersion", "flashSize", "getSlotNo", "slots",
                     "memory", "flash"});
  ControllerConfig config = DefaultControllerConfig();
  if (root.contains("serialNumber")) {
    config.serialNumber = ReadHexBytes<8>(root["serialNumber"], "serialNumber", "54 35 21 07 00 01 2A 9C");
  }
  if (root.contains("macAddress")) {
    config.macAddress = ReadHexBytes<6>(root["macAddress"], "macAddress", "02:1A:7C:00:3B:5E");
  }
  // The SDK fills 80-character buffers, terminator included.
  if (root.contains("sdkVersion")) config.sdkVersion = ReadText(root["sdkVersion"], "sdkVersion", 79);
  if (root.contains("osVersion")) config.osVersion = ReadText(root["osVersion"], "osVersion", 79);
  if (root.contains("flashSize")) {
    config.flashSize = static_cast<std::int32_t>(ReadInteger(root["flashSize"], "flashSize",
                                                             std::numeric_limits<std::int32_t>::min(),
                                                             std::numeric_limits<std::int32_t>::max()));
  }
  if (root.contains("getSlotNo")) config.getSlotNo = ReadUint32(root["getSlotNo"], "getSlotNo");
  if (root.contains("slots")) ReadSlots(root["slots"], config);
  if (root.contains("memory")) ReadMemory(root["memory"], config.memory);
  if (root.contains("flash")) {
    if (!root["flash"].is_object()) Fail("flash", "expected an object");
    config.flash = root["flash"];
  }
  return config;
}

// The deepest nesting of arrays and objects in a JSON text, counted outside
// strings; stops counting past `limit`. The parsed tree is copied and freed
// recursively, so a hostile file nested thousands deep must be refused
// before it is parsed.
std::size_t NestingDepth(std::string_view text, std::size_t limit) {
  std::size_t depth = 0, deepest = 0;
  bool inString = false, escaped = false;
  for (char c : text) {
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
      if (deepest > limit) return deepest;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return deepest;
}

}  // namespace

std::optional<ControllerConfig> ParseControllerConfig(std::string_view jsonText, std::string* error) {
  if (NestingDepth(jsonText, ControllerConfigMaxDepth) > ControllerConfigMaxDepth) {
    if (error) {
      *error = "nested more than " + std::to_string(ControllerConfigMaxDepth) +
               " levels deep; no controller needs that many";
    }
    return std::nullopt;
  }
  Json root;
  try {
    root = Json::parse(jsonText.begin(), jsonText.end());
  } catch (const Json::exception& e) {
    // A syntax error, or a number no double holds ("1e400").
    if (error) *error = std::string("not valid JSON: ") + e.what();
    return std::nullopt;
  }
  try {
    return ReadConfig(root);
  } catch (const ConfigError& e) {
    if (error) *error = e.message;
    return std::nullopt;
  }
}

}  // namespace talvon::sim
