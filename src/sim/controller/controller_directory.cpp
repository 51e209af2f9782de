#include "sim/controller/controller_directory.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "sim/controller/factory_file_system.h"

namespace talvon::sim {
namespace {

namespace fs = std::filesystem;

bool WriteText(const fs::path& file, std::string_view text, std::string* error) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
  if (!out) {
    if (error) *error = file.string() + ": cannot be written";
    return false;
  }
  return true;
}

bool Fill(const ControllerDirectory& dir, const FactoryContents& factory, std::string* error) {
  std::error_code ec;
  fs::create_directories(dir.FileSystemRoot(), ec);
  if (ec) {
    if (error) *error = dir.FileSystemRoot().string() + ": " + ec.message();
    return false;
  }
  if (!WriteText(dir.FactoryRegistryFile(), factory.factoryRegistry, error)) return false;
  if (!WriteFactoryFileSystem(dir.FileSystemRoot(), error)) return false;
  if (factory.createFlashImage && !factory.createFlashImage(dir.FlashImageFile(), factory.config, error)) {
    return false;
  }
  return SaveControllerConfig(factory.config, dir.ConfigFile(), error);
}

bool IsEmptyDirectory(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec) && fs::is_empty(path, ec) && !ec;
}

}  // namespace

EnvironmentLookup ProcessEnvironment() {
  return [](const char* name) -> const char* { return std::getenv(name); };
}

fs::path DefaultControllerDirectory(const EnvironmentLookup& environment) {
  const char* xdg = environment("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') return fs::path(xdg) / "talvon" / "controller";
  const char* home = environment("HOME");
  if (home == nullptr || home[0] == '\0') return {};
  return fs::path(home) / ".local" / "share" / "talvon" / "controller";
}

fs::path ResolveControllerDirectory(std::string_view optionValue, const EnvironmentLookup& environment) {
  if (!optionValue.empty()) return fs::path(optionValue);
  const char* chosen = environment("TALVON_CONTROLLER");
  if (chosen != nullptr && chosen[0] != '\0') return fs::path(chosen);
  return DefaultControllerDirectory(environment);
}

std::optional<std::string> FindControllerOption(int argc, const char* const* argv, std::string* error) {
  constexpr std::string_view option = "--controller";
  if (error) error->clear();
  std::optional<std::string> value;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == option) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        if (error) *error = "--controller needs a directory";
        return std::nullopt;
      }
      value = argv[++i];
    } else if (arg.substr(0, option.size() + 1) == "--controller=") {
      if (arg.size() == option.size() + 1) {
        if (error) *error = "--controller needs a directory";
        return std::nullopt;
      }
      value = std::string(arg.substr(option.size() + 1));
    }
  }
  return value;
}

std::optional<ControllerDirectory> ControllerDirectory::OpenOrCreate(const fs::path& givenRoot,
                                                                     const FactoryContents& factory,
                                                                     std::string* error, bool* created) {
  if (created) *created = false;
  if (givenRoot.empty()) {
    if (error) *error = "no controller directory: set HOME, TALVON_CONTROLLER or --controller";
    return std::nullopt;
  }
  // Resolved once, here: the started programs change into fs/ before they
  // load, and a relative path would then point somewhere else.
  std::error_code ec;
  const fs::path root = fs::absolute(givenRoot, ec).lexically_normal();
  if (ec) {
    if (error) *error = givenRoot.string() + ": " + ec.message();
    return std::nullopt;
  }
  ControllerDirectory dir(root);
  if (fs::exists(dir.ConfigFile(), ec)) {
    fs::create_directories(dir.FileSystemRoot(), ec);
    return dir;
  }
  if (fs::exists(root, ec) && !IsEmptyDirectory(root)) {
    if (error) *error = root.string() + " is not a controller directory (it has no controller.json and is not empty)";
    return std::nullopt;
  }

  // Build the controller beside its place, then move it in at once.
  fs::path parent = root.parent_path().empty() ? fs::path(".") : root.parent_path();
  fs::create_directories(parent, ec);
  fs::path staging = parent / ("." + root.filename().string() + ".new-" + std::to_string(::getpid()));
  fs::remove_all(staging, ec);
  if (!fs::create_directory(staging, ec)) {
    if (error) *error = staging.string() + ": " + (ec ? ec.message() : "cannot be created");
    return std::nullopt;
  }
  if (!Fill(ControllerDirectory(staging), factory, error)) {
    fs::remove_all(staging, ec);
    return std::nullopt;
  }
  // rename() also replaces an empty directory.
  fs::rename(staging, root, ec);
  if (ec) {
    const std::string reason = ec.message();
    fs::remove_all(staging, ec);
    // Someone else created it meanwhile: use theirs.
    if (fs::exists(dir.ConfigFile(), ec)) return dir;
    if (error) *error = root.string() + ": cannot be created: " + reason;
    return std::nullopt;
  }
  if (created) *created = true;
  return dir;
}

std::optional<ControllerDirectory> ControllerDirectory::OpenExisting(const fs::path& givenRoot, std::string* error) {
  if (givenRoot.empty()) {
    if (error) *error = "no controller directory: set HOME, TALVON_CONTROLLER or --controller";
    return std::nullopt;
  }
  std::error_code ec;
  const fs::path root = fs::absolute(givenRoot, ec).lexically_normal();
  ControllerDirectory dir(root);
  if (ec || !fs::exists(dir.ConfigFile(), ec)) {
    if (error) *error = "no controller in " + root.string() + " (no controller.json); talvon-sim create makes one";
    return std::nullopt;
  }
  return dir;
}

}  // namespace talvon::sim
