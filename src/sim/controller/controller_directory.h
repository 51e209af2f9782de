#pragma once
// A simulated controller lives in a directory:
//   controller.json  the hardware (controller_config.h)
//   factory.reg      the registry it left the factory with
//   flash.bin        the flash chips' contents (written by the flash model)
//   fs/              the controller's file system (fs/CompactFlash, fs/Windows)
// It is created with factory contents on first use: the new directory is
// filled beside its final place and renamed into it, so a controller is
// either complete or absent.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sim/controller/controller_config.h"
#include "sim/registry/factory_registry.h"

namespace talvon::sim {

// Looks up an environment variable; nullptr when unset. Tests pass their own.
using EnvironmentLookup = std::function<const char*(const char*)>;
EnvironmentLookup ProcessEnvironment();

// $XDG_DATA_HOME/talvon/controller when XDG_DATA_HOME is an absolute path,
// else $HOME/.local/share/talvon/controller; empty when HOME is unset too.
std::filesystem::path DefaultControllerDirectory(const EnvironmentLookup& environment);

// The directory to use: `optionValue` (from --controller DIR) when not
// empty, else TALVON_CONTROLLER when set and not empty, else the default.
std::filesystem::path ResolveControllerDirectory(std::string_view optionValue,
                                                 const EnvironmentLookup& environment);

// The value of "--controller DIR" or "--controller=DIR" among the arguments
// (the last one given); nullopt when absent. When the option has no value,
// answers nullopt with *error set; otherwise *error is left empty.
std::optional<std::string> FindControllerOption(int argc, const char* const* argv, std::string* error);

// What a new controller is made of.
struct FactoryContents {
  std::string factoryRegistry = std::string(DefaultFactoryRegistry());  // factory.reg text (REGEDIT4)
  ControllerConfig config = DefaultControllerConfig();
  // Writes flash.bin of a new controller; not set: no flash.bin is written.
  std::function<bool(const std::filesystem::path& flashImage, const ControllerConfig& config, std::string* error)>
      createFlashImage;
};

class ControllerDirectory {
 public:
  explicit ControllerDirectory(std::filesystem::path root) : root_(std::move(root)) {}

  // Opens the controller at `root`, creating it with `factory` when the
  // directory is missing or empty. A directory that holds other things but no
  // controller.json is refused, so a mistyped path never fills a user's folder.
  static std::optional<ControllerDirectory> OpenOrCreate(const std::filesystem::path& root,
                                                         const FactoryContents& factory, std::string* error,
                                                         bool* created = nullptr);

  // Opens the controller at `root` when it has one (a controller.json),
  // and changes nothing on disk.
  static std::optional<ControllerDirectory> OpenExisting(const std::filesystem::path& root, std::string* error);

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path ConfigFile() const { return root_ / "controller.json"; }
  std::filesystem::path FactoryRegistryFile() const { return root_ / "factory.reg"; }
  std::filesystem::path FlashImageFile() const { return root_ / "flash.bin"; }
  std::filesystem::path FileSystemRoot() const { return root_ / "fs"; }

 private:
  std::filesystem::path root_;
};

}  // namespace talvon::sim
