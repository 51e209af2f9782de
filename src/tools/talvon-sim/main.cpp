// talvon-sim: create, inspect, set up and recover a simulated controller.
//
//   talvon-sim create   [--controller DIR]   make the controller (factory contents)
//   talvon-sim info     [--controller DIR]   hardware, flash map, OS image and registry state
//   talvon-sim registry [--controller DIR]   the registry the next boot reads, as REGEDIT4
//   talvon-sim registry import FILE.reg [--merge]
//                                            make the file the registry the next boot reads
//   talvon-sim slot N MODULE [--name TEXT] | slot N empty
//                                            put a module into slot N (or take it out)
//   talvon-sim recover  [--controller DIR] [--image FILE.bin]
//                                            write an OS image (default: the factory
//                                            image) into the OS image area
//   talvon-sim wipe-os  [--controller DIR]   erase the OS image area (the controller
//                                            then refuses to boot until recovered)
//   talvon-sim fault KIND ARGS... [--controller DIR]
//                                            inject a flash fault from the next boot on
//                                            (banks and chips count from 0, as info shows them)
//   talvon-sim flash read ADDR LEN OUT       copy a range of the flash window to a file
//   talvon-sim backup FILE | restore FILE    Backup All and Restore All of the utility
//   talvon-sim write-os IMAGE.bin            the utility's OS image write
//
// These work on the controller's files directly, so they also serve a
// controller whose OS area holds no image and that does not boot.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "flash/os_image_version.h"
#include "progress_bar.h"
#include "sim/controller/controller_maintenance.h"
#include "sim/controller/controller_recovery.h"
#include "sim/controller/controller_setup.h"

namespace talvon::sim {
namespace {

constexpr char kUsage[] =
    "usage: talvon-sim create|info|registry|wipe-os [--controller DIR]\n"
    "       talvon-sim registry import FILE.reg [--merge] [--controller DIR]\n"
    "       talvon-sim slot N MODULE [--name TEXT] | slot N empty [--controller DIR]\n"
    "         MODULE: an identifier, rs232-2port, rs232-4port, rs485-2port or rs485-4port;\n"
    "         --name makes it a serial-bus module answering TEXT on COM1:\n"
    "       talvon-sim recover [--controller DIR] [--image FILE.bin]\n"
    "       talvon-sim fault erase ADDR|program ADDR|stuck ADDR MASK high|low|never-ready BANK CHIP|\n"
    "                        no-cfi BANK CHIP|clear [--controller DIR]\n"
    "       talvon-sim flash read ADDR LEN OUT [--controller DIR]\n"
    "       talvon-sim backup FILE | restore FILE | write-os IMAGE.bin [--controller DIR]\n"
    "Numbers are decimal or 0x hexadecimal; flash addresses are window addresses (0xBCA00000 on);\n"
    "BANK and CHIP count from 0, as the flash map of info and controller.json number them.\n";

int UsageError(const std::string& why) {
  std::cerr << "talvon-sim: " << why << '\n' << kUsage;
  return 2;
}

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Reads a file a person hands over, refusing one far larger than any registry.
std::optional<std::string> ReadTextFile(const std::string& path, std::string* error) {
  constexpr std::streamoff kMaxBytes = 16 << 20;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    *error = "cannot read " + path;
    return std::nullopt;
  }
  if (in.tellg() > kMaxBytes) {
    *error = path + " is larger than 16 MiB: not a registry file";
    return std::nullopt;
  }
  in.seekg(0);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Arguments {
  std::string command;
  std::vector<std::string> words;  // the command's own words, options taken out
  std::string controller;
  std::string image;
  std::optional<std::string> name;
  bool merge = false;
};

// Number of words each command takes: {fewest, most}.
std::optional<std::pair<std::size_t, std::size_t>> WordCount(const std::string& command) {
  if (command == "create" || command == "info" || command == "wipe-os" || command == "recover") {
    return std::pair<std::size_t, std::size_t>{0, 0};
  }
  if (command == "registry") return std::pair<std::size_t, std::size_t>{0, 2};
  if (command == "slot") return std::pair<std::size_t, std::size_t>{2, 2};
  if (command == "fault") return std::pair<std::size_t, std::size_t>{0, 16};
  if (command == "flash") return std::pair<std::size_t, std::size_t>{4, 4};
  if (command == "backup" || command == "restore" || command == "write-os") {
    return std::pair<std::size_t, std::size_t>{1, 1};
  }
  return std::nullopt;
}

int Run(int argc, const char* const* argv) {
  if (argc < 2) {
    std::cerr << kUsage;
    return 2;
  }
  Arguments args;
  args.command = argv[1];
  const auto counts = WordCount(args.command);
  if (!counts) return UsageError("unknown command \"" + args.command + "\"");
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if ((arg == "--controller" || arg == "--image" || arg == "--name") && i + 1 < argc) {
      if (arg == "--controller") args.controller = argv[++i];
      if (arg == "--image") args.image = argv[++i];
      if (arg == "--name") args.name = argv[++i];
    } else if (arg == "--merge") {
      args.merge = true;
    } else if (!arg.starts_with("--") || arg == "--") {
      args.words.emplace_back(arg);
    } else {
      return UsageError("unexpected argument \"" + std::string(arg) + "\"");
    }
  }
  if (args.words.size() < counts->first || args.words.size() > counts->second) {
    return UsageError(args.command + " takes other arguments");
  }
  if (!args.image.empty() && args.command != "recover") return UsageError("--image goes with recover only");
  if (args.name && args.command != "slot") return UsageError("--name goes with slot only");
  const bool importing = args.command == "registry" && !args.words.empty();
  if (importing && (args.words.size() != 2 || args.words[0] != "import")) {
    return UsageError("registry takes nothing, or import FILE.reg");
  }
  if (args.merge && !importing) return UsageError("--merge goes with registry import only");
  if (args.command == "flash" && args.words[0] != "read") return UsageError("flash takes read ADDR LEN OUT");

  const auto directory = ResolveControllerDirectory(args.controller, ProcessEnvironment());
  if (directory.empty()) {
    std::cerr << "talvon-sim: no controller directory: pass --controller DIR or set TALVON_CONTROLLER\n";
    return 2;
  }
  std::string error;
  // Only create makes a controller: a mistyped directory must not become
  // one. Commands that only read the controller write nothing to it.
  const bool readsOnly = args.command == "info" || (args.command == "registry" && !importing) ||
                         args.command == "flash" || args.command == "backup";
  const ControllerFilesMode mode = args.command == "create" ? ControllerFilesMode::Create
                                   : readsOnly              ? ControllerFilesMode::ReadOnly
                                                            : ControllerFilesMode::Change;
  auto controller = OpenControllerFiles(directory, &error, mode);
  if (!controller) {
    std::cerr << "talvon-sim: " << error << '\n';
    return 1;
  }

  TerminalProgressBar bar(stdout);
  const ConsoleOutput out{bar, std::cerr};
  const std::string& command = args.command;
  const std::vector<std::string>& w = args.words;
  bool ok = true;
  if (command == "create") {
    std::cout << "controller at " << directory.string() << '\n';
  } else if (command == "info") {
    PrintControllerInfo(*controller, std::cout);
  } else if (command == "registry" && !importing) {
    ok = PrintBootRegistry(*controller, std::cout, &error);
  } else if (command == "registry") {
    std::optional<std::string> text = ReadTextFile(w[1], &error);
    ok = text && ImportRegistry(*controller, *text, args.merge, &error);
    if (ok) std::cout << "registry area written: the next boot reads " << w[1] << '\n';
  } else if (command == "slot") {
    const std::optional<std::uint32_t> slot = ParseNumber(w[0]);
    if (!slot) return UsageError("\"" + w[0] + "\" is not a slot number");
    std::optional<SlotConfig> module = SlotConfig{};
    if (w[1] != "empty") {
      module = ModuleForSlot(w[1], args.name, &error);
    } else if (args.name) {
      return UsageError("an empty slot has no name");
    }
    ok = module && SetSlot(*controller, static_cast<int>(*slot), *module, &error);
    if (ok) std::cout << "slot " << *slot << (module->occupied ? " holds " + w[1] : " is empty") << " from the next boot on\n";
  } else if (command == "wipe-os") {
    ok = WipeOsArea(*controller, &error);
    if (ok) std::cout << "OS image area erased: the controller will not boot until recovered\n";
  } else if (command == "fault") {
    ok = AddFlashFault(*controller, w, &error);
    if (ok) std::cout << "flash faults set in controller.json; they apply from the next boot\n";
  } else if (command == "recover") {
    ok = args.image.empty() ? WriteFactoryOsImage(*controller, &error)
                            : WriteOsImageFile(*controller, args.image, &error);
    // Said only when the boot's own check agrees.
    if (const OsAreaFinding os = InspectOsArea(*controller->flash); ok && !os.boots) {
      ok = false;
      error = "the OS image area now holds " + os.text;
    }
    if (ok) std::cout << "OS image written: the controller boots again\n";
  } else if (command == "flash") {
    const std::optional<std::uint32_t> address = ParseNumber(w[1]);
    const std::optional<std::uint32_t> length = ParseNumber(w[2]);
    if (!address || !length) return UsageError("flash read takes numbers: ADDR LEN");
    ok = ReadFlashToFile(*controller, *address, *length, w[3], out, &error);
    if (ok) std::cout << *length << " bytes from " << w[1] << " written to " << w[3] << '\n';
  } else if (command == "backup") {
    ok = BackupAllToFile(*controller, w[0], out, &error);
    if (ok) std::cout << BackupAllOkText << '\n';
  } else if (command == "restore") {
    ok = RestoreAllFromFile(*controller, w[0], out, &error);
    if (ok) std::cout << RestoreAllOkText << '\n';
  } else if (command == "write-os") {
    ok = WriteOsImageWithProgress(*controller, w[0], out, &error);
    if (const OsAreaFinding os = InspectOsArea(*controller->flash); ok && !os.boots) {
      ok = false;
      error = "the OS image area now holds " + os.text;
    }
    if (ok) std::cout << "OS image written: the controller boots again\n";
  }
  if (!ok) {
    std::cerr << "talvon-sim: " << error << '\n';
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace talvon::sim

int main(int argc, char** argv) { return talvon::sim::Run(argc, argv); }
