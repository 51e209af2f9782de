#include "sim/controller/simulated_controller.h"

#include <fstream>
#include <sstream>

#include "flash/bin_image_builder.h"
#include "flash/flash_areas.h"
#include "flash/os_image_version.h"
#include "platform/little_endian.h"
#include "sim/flash/flash_file.h"

namespace talvon::sim {

namespace {

}  // namespace

std::optional<std::string> ReadFactoryRegistry(const ControllerDirectory& directory, std::string* error) {
  const std::filesystem::path file = directory.FactoryRegistryFile();
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return std::nullopt;  // missing: only a saved hive boots
    *error = "cannot read " + file.string();
    return std::string();
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

FactoryContents ControllerOptions::DefaultFactoryContents() {
  FactoryContents factory;
  factory.createFlashImage = CreateFactoryFlashImage;
  return factory;
}

std::optional<FlashConfig> FlashConfigOf(const ControllerConfig& config, std::string* error) {
  if (config.flash.is_null()) return DefaultFlashConfig();
  FlashConfig flash;
  std::string why;
  if (!ParseFlashConfig(config.flash, &flash, &why) || !CheckControllerFlashLayout(flash, &why)) {
    *error = "controller.json: flash: " + why;
    return std::nullopt;
  }
  return flash;
}

bool CreateFactoryFlashImage(const std::filesystem::path& flashImage, const ControllerConfig& config,
                             std::string* error) {
  if (!FlashFile::CreateBlank(flashImage, error)) return false;
  std::unique_ptr<FlashFile> file = FlashFile::Open(flashImage, error);
  if (!file) return false;
  BinImageOptions image;
  // A version text the image cannot carry leaves the image without one; the
  // controller then reports the configuration's version anyway.
  if (IsValidOsVersion(config.osVersion)) image.version = config.osVersion;
  std::span<std::uint8_t> osArea(file->Data() + (OsImageFlashArea - FlashWindowBase), OsImageFlashAreaSize);
  FillOsImageContent(image, 0, osArea);
  return file->Sync(error);
}

namespace {

// The kernel divides RAM at boot as "Velmar\MemDivision" says, when it says
// something it can do; otherwise the division of controller.json stays.
void ApplyBootDivision(SimRegistry& registry, SimMemoryDivision& memory) {
  HKEY key = 0;
  if (registry.OpenKey(HKEY_LOCAL_MACHINE, "Velmar", KEY_READ, &key) != ERROR_SUCCESS) return;
  std::uint32_t type = 0;
  std::uint8_t bytes[4] = {};
  std::uint32_t size = sizeof bytes;
  const long result = registry.QueryValue(key, "MemDivision", &type, bytes, &size);
  registry.CloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof bytes) return;
  const std::uint32_t pages = LoadLe32(bytes);
  memory.SetStorageDivision(pages);
}

}  // namespace

SimulatedController::SimulatedController(ControllerDirectory directory, ControllerConfig config, Clock& clock)
    : directory_(std::move(directory)), config_(std::move(config)), clock_(clock) {}

SimulatedController::~SimulatedController() = default;

std::unique_ptr<SimulatedController> SimulatedController::Boot(const std::filesystem::path& directory, Clock& clock,
                                                               std::string* error, const ControllerOptions& options) {
  std::optional<ControllerDirectory> dir = ControllerDirectory::OpenOrCreate(directory, options.factory, error);
  if (!dir) return nullptr;
  std::optional<ControllerConfig> config = LoadControllerConfig(dir->ConfigFile(), error);
  if (!config) return nullptr;
  std::optional<FlashConfig> flashConfig = FlashConfigOf(*config, error);
  if (!flashConfig) return nullptr;

  std::unique_ptr<SimulatedController> controller(
      new SimulatedController(std::move(*dir), std::move(*config), clock));
  SimulatedController& c = *controller;

  std::string why;
  std::error_code ec;
  if (!std::filesystem::exists(c.directory_.FlashImageFile(), ec)) {
    *error = "flash.bin missing in " + c.directory_.Root().string() +
             ": the controller has no flash contents; make factory ones with: talvon-sim create --controller " +
             c.directory_.Root().string();
    return nullptr;
  }
  c.flash_ = SimFlash::Open(c.directory_.FlashImageFile(), *flashConfig, &why);
  if (!c.flash_) {
    *error = "flash.bin: " + why;
    return nullptr;
  }
  if (!OsAreaHoldsImage(*c.flash_)) {
    *error = "the OS image area holds " + InspectOsArea(*c.flash_).text +
             ", so the controller cannot start; recover it with: talvon-sim recover --controller " +
             c.directory_.Root().string() + " [--image FILE.bin]";
    return nullptr;
  }

  std::string unreadable;
  const std::optional<std::string> factoryText = ReadFactoryRegistry(c.directory_, &unreadable);
  if (!unreadable.empty()) {
    *error = unreadable;
    return nullptr;
  }
  c.hiveStorage_ = std::make_unique<FlashHiveStorage>(*c.flash_);
  c.registry_ = std::make_unique<SimRegistry>(*c.hiveStorage_);
  c.registryBoot_ = c.registry_->Boot(factoryText ? std::optional<std::string_view>(*factoryText) : std::nullopt);
  if (!c.registryBoot_.ok) {
    *error = "factory.reg: " + c.registryBoot_.detail;
    return nullptr;
  }

  c.backplane_ = std::make_unique<Backplane>(c.config_.slots, clock);
  c.serialPorts_ = std::make_unique<SimSerialPorts>(*c.backplane_, clock);
  c.sdk_ = std::make_unique<SimSdk>(c.config_, *c.backplane_);
  c.sdk_->SetOsVersion(ReadOsVersion(*c.flash_));
  c.files_ = std::make_unique<SimFiles>(c.directory_.FileSystemRoot());
  c.processes_ = std::make_unique<SimProcesses>(c.directory_.FileSystemRoot(), options.childOutput);
  c.memory_ = std::make_unique<SimMemoryDivision>(c.config_.memory);
  ApplyBootDivision(*c.registry_, *c.memory_);
  c.platform_ = std::make_unique<Platform>(Platform{*c.registry_, *c.files_, *c.processes_, *c.serialPorts_,
                                                    *c.memory_, clock, *c.flash_, *c.sdk_});
  return controller;
}

}  // namespace talvon::sim
