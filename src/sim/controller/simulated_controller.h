#pragma once
// A whole simulated controller, booted from its directory: the flash chips
// over flash.bin, the registry loaded from the hive in the flash registry
// area (the factory registry when that area holds none), the SDK, the
// serial-bus modules behind "COM1:", the memory division (as the registry's
// "Velmar\MemDivision" sets it at boot, when it can), the file system
// and the programs under fs/. Destroying it is the controller going down:
// whatever was not flushed to flash is gone, as on the real controller.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "sim/roles/backplane.h"
#include "sim/controller/controller_config.h"
#include "sim/controller/controller_directory.h"
#include "sim/registry/flash_hive_storage.h"
#include "sim/roles/sim_files.h"
#include "sim/flash/sim_flash.h"
#include "sim/roles/sim_memory_division.h"
#include "sim/roles/sim_processes.h"
#include "sim/registry/sim_registry.h"
#include "sim/roles/sim_sdk.h"
#include "sim/roles/sim_serial.h"

namespace talvon::sim {

struct ControllerOptions {
  SimProcesses::ChildOutput childOutput = SimProcesses::ChildOutput::Inherit;
  // What a controller created on first use is made of.
  FactoryContents factory = DefaultFactoryContents();

  static FactoryContents DefaultFactoryContents();
};

class SimulatedController {
 public:
  // Opens the controller in `directory` (creating it with factory contents
  // when the directory is missing or empty) and boots it. nullptr with a
  // message in *error when it cannot be opened or does not boot, such as
  // when its OS image area holds no image.
  static std::unique_ptr<SimulatedController> Boot(const std::filesystem::path& directory, Clock& clock,
                                                   std::string* error, const ControllerOptions& options = {});
  ~SimulatedController();
  SimulatedController(const SimulatedController&) = delete;
  SimulatedController& operator=(const SimulatedController&) = delete;

  Platform& GetPlatform() { return *platform_; }
  const ControllerDirectory& Directory() const { return directory_; }
  const ControllerConfig& Config() const { return config_; }
  const RegistryBootReport& RegistryBoot() const { return registryBoot_; }

  SimFlash& Flash() { return *flash_; }
  SimRegistry& Registry() { return *registry_; }
  SimSdk& Sdk() { return *sdk_; }
  SimProcesses& Processes() { return *processes_; }
  Backplane& Bus() { return *backplane_; }

 private:
  SimulatedController(ControllerDirectory directory, ControllerConfig config, Clock& clock);

  ControllerDirectory directory_;
  ControllerConfig config_;
  Clock& clock_;
  std::unique_ptr<SimFlash> flash_;
  std::unique_ptr<FlashHiveStorage> hiveStorage_;
  std::unique_ptr<SimRegistry> registry_;
  RegistryBootReport registryBoot_{};
  std::unique_ptr<Backplane> backplane_;
  std::unique_ptr<SimSerialPorts> serialPorts_;
  std::unique_ptr<SimSdk> sdk_;
  std::unique_ptr<SimFiles> files_;
  std::unique_ptr<SimProcesses> processes_;
  std::unique_ptr<SimMemoryDivision> memory_;
  std::unique_ptr<Platform> platform_;
};

// The flash layout a configuration asks for: its "flash" section, or the
// default chips when it has none.
// factory.reg of a controller: its text; nullopt when the file is missing
// (a saved hive still boots); an empty text with *error set when it exists
// but cannot be read.
std::optional<std::string> ReadFactoryRegistry(const ControllerDirectory& directory, std::string* error);
std::optional<FlashConfig> FlashConfigOf(const ControllerConfig& config, std::string* error);

// Writes a new controller's flash.bin: blank chips with a full-size factory
// OS image (carrying the configuration's OS version) in the OS image area.
bool CreateFactoryFlashImage(const std::filesystem::path& flashImage, const ControllerConfig& config,
                             std::string* error);

}  // namespace talvon::sim
