#include "sim/controller/controller_setup.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/errors.h"
#include "platform/registry.h"
#include "sdk/controller_sdk.h"
#include "sim/registry/flash_hive_storage.h"
#include "sim/registry/sim_registry.h"

namespace talvon::sim {
namespace {

struct NamedModule {
  const char* name;
  int identifier;
};

constexpr NamedModule kCommunicationModules[] = {
    {"rs232-2port", ModuleTwoPortRs232},
    {"rs232-4port", ModuleFourPortRs232},
    {"rs485-2port", ModuleTwoPortRs485},
    {"rs485-4port", ModuleFourPortRs485},
};

bool IsCommunicationModule(int identifier) {
  for (const NamedModule& m : kCommunicationModules) {
    if (m.identifier == identifier) return true;
  }
  return false;
}

std::optional<std::string> ReadFactoryText(ControllerFiles& c, std::string* error) {
  std::ifstream in(c.directory.FactoryRegistryFile(), std::ios::binary);
  if (!in) {
    *error = "cannot read " + c.directory.FactoryRegistryFile().string();
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::optional<SlotConfig> ModuleForSlot(const std::string& module, const std::optional<std::string>& busName,
                                        std::string* error) {
  int identifier = 0;
  for (const NamedModule& m : kCommunicationModules) {
    if (module == m.name) identifier = m.identifier;
  }
  if (identifier == 0) {
    const auto [end, ec] = std::from_chars(module.data(), module.data() + module.size(), identifier);
    if (ec != std::errc() || end != module.data() + module.size() || identifier <= 0) {
      *error = "\"" + module +
               "\" is not a module: a positive identifier, rs232-2port, rs232-4port, rs485-2port or rs485-4port";
      return std::nullopt;
    }
  }
  SlotConfig slot;
  slot.occupied = true;
  slot.identifier = identifier;
  if (busName) {
    if (IsCommunicationModule(identifier)) {
      *error = "--name is for a serial-bus module; a communication module does not answer on COM1:";
      return std::nullopt;
    }
    // A serial-bus module shows the series text and tells its name over the line.
    slot.name = ModuleSeriesText;
    slot.busName = *busName;
  } else {
    // Ordinary and communication modules carry their model number as name text.
    slot.name = std::to_string(static_cast<long long>(ModuleSeriesBase) + identifier);
  }
  if (slot.name.size() > MaxModuleNameLength) {
    *error = "identifier " + module + " is too large: its model number \"" + slot.name + "\" is longer than " +
             std::to_string(MaxModuleNameLength) + " characters";
    return std::nullopt;
  }
  return slot;
}

bool SetSlot(ControllerFiles& c, int slot, const SlotConfig& module, std::string* error) {
  if (slot < 1 || slot > SlotCount) {
    *error = "slot " + std::to_string(slot) + " does not exist: slots are 1 to " + std::to_string(SlotCount);
    return false;
  }
  ControllerConfig updated = c.config;
  updated.slots[static_cast<std::size_t>(slot - 1)] = module.occupied ? module : SlotConfig{};
  // The same checks as a hand-edited controller.json gets at boot.
  std::string why;
  if (!ParseControllerConfig(ControllerConfigToJson(updated), &why)) {
    *error = "the controller cannot hold this module: " + why;
    return false;
  }
  if (!SaveControllerConfig(updated, c.directory.ConfigFile(), error)) return false;
  c.config = std::move(updated);
  return true;
}

bool ImportRegistry(ControllerFiles& c, const std::string& regText, bool merge, std::string* error) {
  FlashHiveStorage storage(*c.flash);
  SimRegistry registry(storage);
  if (merge) {
    std::optional<std::string> factory = ReadFactoryText(c, error);
    if (!factory) return false;
    RegistryBootReport report = registry.Boot(*factory);
    if (!report.ok) {
      *error = "factory.reg: " + report.detail;
      return false;
    }
  }
  const RegTextResult imported = registry.ImportText(regText);
  if (!imported.ok) {
    *error = imported.error + "; the registry area has not been changed";
    return false;
  }
  const long flushed = registry.FlushKey(HKEY_LOCAL_MACHINE);
  if (flushed != ERROR_SUCCESS) {
    *error = "writing the registry area failed: " + registry.LastFlushError();
    return false;
  }
  return true;
}

}  // namespace talvon::sim
