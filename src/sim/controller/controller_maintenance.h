#pragma once
// Maintenance of a simulated controller from outside: its files opened
// directly, without booting it, so that a controller whose OS image area
// holds no image can still be inspected and recovered.
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "sim/controller/controller_config.h"
#include "sim/controller/controller_directory.h"
#include "sim/flash/sim_flash.h"

namespace talvon::sim {

struct ControllerFiles {
  ControllerDirectory directory;
  ControllerConfig config;
  std::unique_ptr<SimFlash> flash;
};

enum class ControllerFilesMode {
  Create,    // make the controller, or what it lacks of its files, with factory contents
  Change,    // an existing controller only; its files may be written
  ReadOnly,  // an existing controller only; nothing is written, not even by the chips
};

// Opens the controller in `directory`.
std::unique_ptr<ControllerFiles> OpenControllerFiles(const std::filesystem::path& directory, std::string* error,
                                                     ControllerFilesMode mode = ControllerFilesMode::Create);

// Hardware, flash layout, the OS image area's image and version, and whether
// the registry area holds a saved hive.
void PrintControllerInfo(ControllerFiles& controller, std::ostream& out);
// The registry the next boot would load, as REGEDIT4 text.
bool PrintBootRegistry(ControllerFiles& controller, std::ostream& out, std::string* error);
// Erases the OS image area.
bool WipeOsArea(ControllerFiles& controller, std::string* error);
// Erases the OS image area and writes the factory image into it.
bool WriteFactoryOsImage(ControllerFiles& controller, std::string* error);
// Checks the BIN image file on the host as a whole, then erases the OS image
// area and writes the image's records into it. A bad image changes nothing.
bool WriteOsImageFile(ControllerFiles& controller, const std::string& hostPath, std::string* error);

// Adds a fault to the flash section of controller.json, from the next boot on:
//   erase ADDR              the block holding ADDR fails to erase
//   program ADDR            the word holding ADDR fails to program
//   stuck ADDR MASK high|low  bits of the byte at ADDR read stuck
//   never-ready BANK CHIP   the chip stays busy once an operation starts
//   no-cfi BANK CHIP        the chip ignores the CFI query
//   clear                   removes every fault
// Numbers are decimal or 0x hexadecimal. A fault the layout cannot hold is
// refused and controller.json is left as it was.
bool AddFlashFault(ControllerFiles& controller, const std::vector<std::string>& words, std::string* error);

}  // namespace talvon::sim
