#include <cstdio>
#include <initializer_list>
#include <nlohmann/json.hpp>

#include "platform/text.h"
#include "sim/flash/flash_config.h"

namespace talvon::sim {
namespace {

using nlohmann::json;

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

// Objects accept only the fields named, so a misspelt field is reported
// instead of silently taking its default.
bool CheckObject(const json& j, const std::string& at, std::initializer_list<const char*> fields,
                 std::string* error) {
  if (!j.is_object()) return Fail(error, at + ": must be an object");
  for (auto it = j.begin(); it != j.end(); ++it) {
    bool known = false;
    for (const char* f : fields) known = known || it.key() == f;
    if (!known) return Fail(error, at + "." + it.key() + ": unknown field");
  }
  return true;
}

// A whole number, written as a JSON number or as a string in decimal or
// "0x" hexadecimal (addresses read better in hex).
bool ReadNumber(const json& j, const std::string& at, std::uint64_t max, std::uint64_t* out, std::string* error) {
  std::uint64_t value = 0;
  if (j.is_number_unsigned()) {
    value = j.get<std::uint64_t>();
  } else if (j.is_number_integer()) {
    return Fail(error, at + ": must not be negative");
  } else if (j.is_string()) {
    const std::string text = j.get<std::string>();
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 16) return Fail(error, at + ": \"" + text + "\" is not a number");
    for (char c : digits) {
      int d = -1;
      if (c >= '0' && c <= '9') d = c - '0';
      if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
      if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
      if (d < 0) return Fail(error, at + ": \"" + text + "\" is not a number");
      const std::uint64_t base = hex ? 16 : 10;
      if (value > (max - d) / base) return Fail(error, at + ": " + text + " is too large");
      value = value * base + d;
    }
  } else {
    return Fail(error, at + ": must be a number");
  }
  if (value > max) return Fail(error, at + ": " + std::to_string(value) + " is too large");
  *out = value;
  return true;
}

bool ReadU32(const json& j, const std::string& at, std::uint32_t* out, std::string* error) {
  std::uint64_t v = 0;
  if (!ReadNumber(j, at, 0xFFFFFFFFu, &v, error)) return false;
  *out = static_cast<std::uint32_t>(v);
  return true;
}

// Reads an optional field; absent leaves *out as it is.
bool OptionalU32(const json& j, const char* name, const std::string& at, std::uint32_t* out, std::string* error) {
  return !j.contains(name) || ReadU32(j.at(name), at + "." + name, out, error);
}

bool ReadArray(const json& j, const std::string& at, std::string* error) {
  return j.is_array() || Fail(error, at + ": must be an array");
}

bool ReadCommandSet(const json& j, const std::string& at, std::uint32_t* out, std::string* error) {
  if (j.is_string()) {
    const std::string text = j.get<std::string>();
    if (text == "intel" || text == "amd") {
      *out = text == "intel" ? 1 : 2;
      return true;
    }
    return Fail(error, at + ": \"" + text + "\" is not \"intel\" or \"amd\"");
  }
  return ReadU32(j, at, out, error);
}

bool ReadBank(const json& j, const std::string& at, FlashBankConfig* b, std::string* error) {
  if (!CheckObject(j, at,
                   {"commandSet", "busWidth", "chips", "deviceSize", "regions", "timing", "programPolls",
                    "erasePolls", "chipExtraPolls"},
                   error)) {
    return false;
  }
  if (j.contains("commandSet") && !ReadCommandSet(j.at("commandSet"), at + ".commandSet", &b->commandSet, error)) {
    return false;
  }
  if (!OptionalU32(j, "busWidth", at, &b->busWidth, error) || !OptionalU32(j, "chips", at, &b->chips, error) ||
      !OptionalU32(j, "deviceSize", at, &b->deviceSize, error) ||
      !OptionalU32(j, "programPolls", at, &b->programPolls, error) ||
      !OptionalU32(j, "erasePolls", at, &b->erasePolls, error)) {
    return false;
  }
  if (j.contains("regions")) {
    const json& rs = j.at("regions");
    if (!ReadArray(rs, at + ".regions", error)) return false;
    b->regions.clear();
    for (std::size_t i = 0; i < rs.size(); ++i) {
      const std::string ra = at + ".regions[" + std::to_string(i) + "]";
      FlashRegion r;
      if (!CheckObject(rs[i], ra, {"blockSize", "blocks"}, error)) return false;
      if (!rs[i].contains("blockSize") || !rs[i].contains("blocks")) {
        return Fail(error, ra + ": needs blockSize and blocks");
      }
      if (!ReadU32(rs[i].at("blockSize"), ra + ".blockSize", &r.blockSize, error) ||
          !ReadU32(rs[i].at("blocks"), ra + ".blocks", &r.blockCount, error)) {
        return false;
      }
      b->regions.push_back(r);
    }
  }
  if (j.contains("timing")) {
    const json& t = j.at("timing");
    const std::string ta = at + ".timing";
    if (!CheckObject(t, ta, {"wordProgramUs", "wordProgramMaxUs", "blockEraseMs", "blockEraseMaxMs"}, error) ||
        !OptionalU32(t, "wordProgramUs", ta, &b->timing.wordProgramUs, error) ||
        !OptionalU32(t, "wordProgramMaxUs", ta, &b->timing.wordProgramMaxUs, error) ||
        !OptionalU32(t, "blockEraseMs", ta, &b->timing.blockEraseMs, error) ||
        !OptionalU32(t, "blockEraseMaxMs", ta, &b->timing.blockEraseMaxMs, error)) {
      return false;
    }
  }
  if (j.contains("chipExtraPolls")) {
    const json& e = j.at("chipExtraPolls");
    if (!ReadArray(e, at + ".chipExtraPolls", error)) return false;
    b->chipExtraPolls.assign(e.size(), 0);
    for (std::size_t i = 0; i < e.size(); ++i) {
      if (!ReadU32(e[i], at + ".chipExtraPolls[" + std::to_string(i) + "]", &b->chipExtraPolls[i], error)) {
        return false;
      }
    }
  }
  return true;
}

bool ReadChipRefs(const json& j, const std::string& at, std::vector<FlashChipRef>* out, std::string* error) {
  if (!ReadArray(j, at, error)) return false;
  out->clear();
  for (std::size_t i = 0; i < j.size(); ++i) {
    const std::string ra = at + "[" + std::to_string(i) + "]";
    FlashChipRef ref;
    if (!CheckObject(j[i], ra, {"bank", "chip"}, error) || !OptionalU32(j[i], "bank", ra, &ref.bank, error) ||
        !OptionalU32(j[i], "chip", ra, &ref.chip, error)) {
      return false;
    }
    out->push_back(ref);
  }
  return true;
}

bool ReadFaults(const json& j, FlashFaults* f, std::string* error) {
  const std::string at = "flash.faults";
  if (!CheckObject(j, at,
                   {"eraseFailures", "programFailures", "stuckBits", "neverReady", "noCfi", "powerLossAtCycle"},
                   error)) {
    return false;
  }
  if (j.contains("eraseFailures")) {
    const json& e = j.at("eraseFailures");
    if (!ReadArray(e, at + ".eraseFailures", error)) return false;
    for (std::size_t i = 0; i < e.size(); ++i) {
      const std::string ea = at + ".eraseFailures[" + std::to_string(i) + "]";
      FlashEraseFailure failure;
      if (!CheckObject(e[i], ea, {"address", "chip"}, error)) return false;
      if (!e[i].contains("address")) return Fail(error, ea + ".address: missing");
      if (!ReadU32(e[i].at("address"), ea + ".address", &failure.address, error)) return false;
      if (e[i].contains("chip")) {
        std::uint32_t chip = 0;
        if (!ReadU32(e[i].at("chip"), ea + ".chip", &chip, error)) return false;
        failure.chip = chip;
      }
      f->eraseFailures.push_back(failure);
    }
  }
  if (j.contains("programFailures")) {
    const json& p = j.at("programFailures");
    if (!ReadArray(p, at + ".programFailures", error)) return false;
    for (std::size_t i = 0; i < p.size(); ++i) {
      std::uint32_t address = 0;
      if (!ReadU32(p[i], at + ".programFailures[" + std::to_string(i) + "]", &address, error)) return false;
      f->programFailures.push_back(address);
    }
  }
  if (j.contains("stuckBits")) {
    const json& s = j.at("stuckBits");
    if (!ReadArray(s, at + ".stuckBits", error)) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
      const std::string sa = at + ".stuckBits[" + std::to_string(i) + "]";
      FlashStuckBits stuck;
      std::uint32_t mask = 0;
      if (!CheckObject(s[i], sa, {"address", "mask", "stuckHigh"}, error)) return false;
      if (!s[i].contains("address") || !s[i].contains("mask")) return Fail(error, sa + ": needs address and mask");
      if (!ReadU32(s[i].at("address"), sa + ".address", &stuck.address, error) ||
          !ReadU32(s[i].at("mask"), sa + ".mask", &mask, error)) {
        return false;
      }
      if (mask > 0xFF) return Fail(error, sa + ".mask: one byte's bits, 0x01 to 0xFF");
      stuck.mask = static_cast<std::uint8_t>(mask);
      if (s[i].contains("stuckHigh")) {
        if (!s[i].at("stuckHigh").is_boolean()) return Fail(error, sa + ".stuckHigh: must be true or false");
        stuck.stuckHigh = s[i].at("stuckHigh").get<bool>();
      }
      f->stuckBits.push_back(stuck);
    }
  }
  if (j.contains("neverReady") && !ReadChipRefs(j.at("neverReady"), at + ".neverReady", &f->neverReady, error)) {
    return false;
  }
  if (j.contains("noCfi") && !ReadChipRefs(j.at("noCfi"), at + ".noCfi", &f->noCfi, error)) return false;
  if (j.contains("powerLossAtCycle") &&
      !ReadNumber(j.at("powerLossAtCycle"), at + ".powerLossAtCycle", ~std::uint64_t{0}, &f->powerLossAtCycle,
                  error)) {
    return false;
  }
  return true;
}

}  // namespace

bool ParseFlashConfig(const json& j, FlashConfig* out, std::string* error) {
  FlashConfig config;
  if (!CheckObject(j, "flash", {"banks", "faults"}, error)) return false;
  if (j.contains("banks")) {
    const json& banks = j.at("banks");
    if (!ReadArray(banks, "flash.banks", error)) return false;
    config.banks.clear();
    for (std::size_t i = 0; i < banks.size(); ++i) {
      FlashBankConfig bank;
      if (!ReadBank(banks[i], "flash.banks[" + std::to_string(i) + "]", &bank, error)) return false;
      config.banks.push_back(bank);
    }
  }
  if (j.contains("faults") && !ReadFaults(j.at("faults"), &config.faults, error)) return false;
  if (!ValidateFlashConfig(config, error)) return false;
  if (out) *out = std::move(config);
  return true;
}

json FlashConfigToJson(const FlashConfig& config) {
  json banks = json::array();
  for (const FlashBankConfig& b : config.banks) {
    json regions = json::array();
    for (const FlashRegion& r : b.regions) regions.push_back({{"blockSize", r.blockSize}, {"blocks", r.blockCount}});
    json bank = {
        {"commandSet", b.commandSet == 1 ? json("intel") : b.commandSet == 2 ? json("amd") : json(b.commandSet)},
        {"busWidth", b.busWidth},
        {"chips", b.chips},
        {"deviceSize", b.deviceSize},
        {"regions", regions},
        {"timing",
         {{"wordProgramUs", b.timing.wordProgramUs},
          {"wordProgramMaxUs", b.timing.wordProgramMaxUs},
          {"blockEraseMs", b.timing.blockEraseMs},
          {"blockEraseMaxMs", b.timing.blockEraseMaxMs}}},
        {"programPolls", b.programPolls},
        {"erasePolls", b.erasePolls}};
    if (!b.chipExtraPolls.empty()) bank["chipExtraPolls"] = b.chipExtraPolls;
    banks.push_back(bank);
  }
  const FlashFaults& f = config.faults;
  json faults = json::object();
  if (!f.eraseFailures.empty()) {
    json list = json::array();
    for (const FlashEraseFailure& e : f.eraseFailures) {
      json item = {{"address", HexWord(e.address)}};
      if (e.chip) item["chip"] = *e.chip;
      list.push_back(item);
    }
    faults["eraseFailures"] = list;
  }
  if (!f.programFailures.empty()) {
    json list = json::array();
    for (std::uint32_t a : f.programFailures) list.push_back(HexWord(a));
    faults["programFailures"] = list;
  }
  if (!f.stuckBits.empty()) {
    json list = json::array();
    for (const FlashStuckBits& s : f.stuckBits) {
      char mask[8];
      std::snprintf(mask, sizeof mask, "0x%02X", s.mask);
      list.push_back({{"address", HexWord(s.address)}, {"mask", mask}, {"stuckHigh", s.stuckHigh}});
    }
    faults["stuckBits"] = list;
  }
  auto refs = [](const std::vector<FlashChipRef>& list) {
    json out = json::array();
    for (const FlashChipRef& r : list) out.push_back({{"bank", r.bank}, {"chip", r.chip}});
    return out;
  };
  if (!f.neverReady.empty()) faults["neverReady"] = refs(f.neverReady);
  if (!f.noCfi.empty()) faults["noCfi"] = refs(f.noCfi);
  if (f.powerLossAtCycle != 0) faults["powerLossAtCycle"] = f.powerLossAtCycle;
  json out = {{"banks", banks}};
  if (!faults.empty()) out["faults"] = faults;
  return out;
}

}  // namespace talvon::sim
