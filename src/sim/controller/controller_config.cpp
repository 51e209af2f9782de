#include "sim/controller/controller_config.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

#include "sdk/controller_sdk.h"
#include "sim/roles/controller_path.h"

namespace talvon::sim {
namespace {

SlotConfig Module(int identifier, std::string name) {
  SlotConfig slot;
  slot.occupied = true;
  slot.identifier = identifier;
  slot.name = std::move(name);
  return slot;
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t count, char separator) {
  std::string text;
  char piece[4];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(piece, sizeof piece, "%02X", bytes[i]);
    if (i != 0) text.push_back(separator);
    text += piece;
  }
  return text;
}

nlohmann::ordered_json SlotToJson(const SlotConfig& slot) {
  if (!slot.occupied) return nullptr;
  nlohmann::ordered_json out = {{"identifier", slot.identifier}, {"name", slot.name}};
  if (slot.busName) {
    out["busName"] = *slot.busName;
    out["reply"] = std::string(BusReplyName(slot.reply));
    if (slot.reply == BusReply::Late) out["replyDelayMs"] = slot.replyDelayMs;
    if (slot.reply == BusReply::ZeroByte) out["zeroBytePosition"] = slot.zeroBytePosition;
  }
  return out;
}

}  // namespace

std::string ModuleNameBytes(std::string_view text) {
  std::optional<std::string> latin1 = Utf8ToLatin1(text);
  return latin1 ? std::move(*latin1) : std::string(text);
}

std::string_view BusReplyName(BusReply reply) {
  switch (reply) {
    case BusReply::Normal: return "normal";
    case BusReply::Late: return "late";
    case BusReply::Garbled: return "garbled";
    case BusReply::ZeroByte: return "zeroByte";
    case BusReply::NoExclamation: return "noExclamation";
    case BusReply::Silent: return "silent";
  }
  return "normal";
}

ControllerConfig DefaultControllerConfig() {
  ControllerConfig config;
  // Ordinary modules carry their model number as name text; the serial-bus
  // module carries the series text and tells its real name over the line.
  config.slots[0] = Module(17, "8017");
  config.slots[1] = Module(55, ModuleSeriesText);
  config.slots[1].busName = "87055";
  config.slots[2] = Module(ModuleTwoPortRs232, std::to_string(ModuleSeriesBase + ModuleTwoPortRs232));
  config.slots[3] = Module(54, "8054");
  config.serialNumber = {0x54, 0x35, 0x21, 0x07, 0x00, 0x01, 0x2A, 0x9C};
  // Locally administered, so it can never clash with a real device.
  config.macAddress = {0x02, 0x1A, 0x7C, 0x00, 0x3B, 0x5E};
  config.sdkVersion = "TalvonSDK 2.3.0 (simulated)";
  config.osVersion = "Talvon CE 5.0 build 1400 (simulated)";
  config.flashSize = 32 * 1024 * 1024;
  config.getSlotNo = SlotCount;
  // 32 MiB of RAM in 4 KiB pages, half for storage; 1000 pages of files and
  // 3000 pages of programs in use, as on a controller running its usual set.
  config.memory.pageSize = 4096;
  config.memory.totalPages = 8192;
  config.memory.storagePages = 4096;
  config.memory.storageUsedBytes = 999 * 4096 + 1000;
  config.memory.programUsedBytes = 2998 * 4096 + 2048;
  config.memory.programReservePages = 32;
  return config;
}

std::string ControllerConfigToJson(const ControllerConfig& config) {
  nlohmann::ordered_json out;
  out["serialNumber"] = HexBytes(config.serialNumber.data(), config.serialNumber.size(), ' ');
  out["macAddress"] = HexBytes(config.macAddress.data(), config.macAddress.size(), ':');
  out["sdkVersion"] = config.sdkVersion;
  out["osVersion"] = config.osVersion;
  out["flashSize"] = config.flashSize;
  out["getSlotNo"] = config.getSlotNo;
  nlohmann::ordered_json slots = nlohmann::ordered_json::array();
  for (const SlotConfig& slot : config.slots) slots.push_back(SlotToJson(slot));
  out["slots"] = std::move(slots);
  const MemoryConfig& m = config.memory;
  out["memory"] = {{"pageSize", m.pageSize},
                   {"totalPages", m.totalPages},
                   {"storagePages", m.storagePages},
                   {"storageUsedBytes", m.storageUsedBytes},
                   {"programUsedBytes", m.programUsedBytes},
                   {"programReservePages", m.programReservePages}};
  if (!config.flash.is_null()) out["flash"] = config.flash;
  return out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::optional<ControllerConfig> LoadControllerConfig(const std::filesystem::path& file, std::string* error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    if (error) *error = file.string() + ": cannot be read";
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::string message;
  auto config = ParseControllerConfig(text.str(), &message);
  if (!config && error) *error = file.filename().string() + ": " + message;
  return config;
}

bool SaveControllerConfig(const ControllerConfig& config, const std::filesystem::path& file, std::string* error) {
  std::filesystem::path temporary = file;
  temporary += ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << ControllerConfigToJson(config);
    out.flush();
    if (!out) {
      if (error) *error = temporary.string() + ": cannot be written";
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, file, ec);
  if (ec) {
    if (error) *error = file.string() + ": " + ec.message();
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace talvon::sim
