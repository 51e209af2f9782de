#include "sim/controller/factory_file_system.h"

#include <fstream>
#include <system_error>

namespace talvon::sim {
namespace {

struct FactoryProgram {
  const char* path;  // under fs/
  const char* script;
};

constexpr char RegViewScript[] =
    "#!/bin/sh\n"
    "# Registry viewer of the simulated controller: shows the registry the\n"
    "# controller left the factory with.\n"
    "reg=\"$(dirname \"$0\")/../../factory.reg\"\n"
    "echo \"RegView: factory registry of this controller\"\n"
    "if [ -r \"$reg\" ]; then cat \"$reg\"; fi\n"
    "exit 0\n";

constexpr char ExitScript[] =
    "#!/bin/sh\n"
    "# Stand-in for a program of the controller: it has nothing to do on a\n"
    "# simulated controller, so it ends at once.\n"
    "exit 0\n";

constexpr FactoryProgram FactoryPrograms[] = {
    {"Windows/RegView.exe", RegViewScript},
    {"Windows/Calibrate_serial.exe", ExitScript},
    {"Windows/Calibrate_usb.exe", ExitScript},
    {"Windows/intll.cpl", ExitScript},
    {"CompactFlash/Vantro-I/Lumex/RegistryOCX.bat", ExitScript},
    // The start-up programs the factory registry names under "Init".
    {"Windows/VelmarAgent.exe", ExitScript},
    {"CompactFlash/Velmar/Startup/LumexRuntime.exe", ExitScript},
};

constexpr const char* FactoryFolders[] = {
    "CompactFlash/Velmar/Tools",
    "CompactFlash/Vantro-I/Lumex",
    "CompactFlash/Velmar/Startup",
    "Windows",
    // The HTTP server's roots, as the factory registry names them.
    "Windows/www/wwwpub",
    "CompactFlash/Velmar/Web",
};

}  // namespace

bool WriteFactoryFileSystem(const std::filesystem::path& fsRoot, std::string* error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (const char* folder : FactoryFolders) {
    fs::create_directories(fsRoot / folder, ec);
    if (ec) {
      if (error) *error = (fsRoot / folder).string() + ": " + ec.message();
      return false;
    }
  }
  for (const FactoryProgram& program : FactoryPrograms) {
    const fs::path file = fsRoot / program.path;
    {
      std::ofstream out(file, std::ios::binary | std::ios::trunc);
      out << program.script;
      out.flush();
      if (!out) {
        if (error) *error = file.string() + ": cannot be written";
        return false;
      }
    }
    fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec,
                    ec);
    if (ec) {
      if (error) *error = file.string() + ": " + ec.message();
      return false;
    }
  }
  return true;
}

}  // namespace talvon::sim
