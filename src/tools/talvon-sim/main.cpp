// talvon-sim: create, inspect and recover a simulated controller.
//
//   talvon-sim create   [--controller DIR]   make the controller (factory contents)
//   talvon-sim info     [--controller DIR]   hardware, flash, OS image and registry state
//   talvon-sim registry [--controller DIR]   the registry the next boot reads, as REGEDIT4
//   talvon-sim recover  [--controller DIR] [--image FILE.bin]
//                                            write an OS image (default: the factory
//                                            image) into the OS image area
//   talvon-sim wipe-os  [--controller DIR]   erase the OS image area (the controller
//                                            then refuses to boot until recovered)
//   talvon-sim fault KIND ARGS... [--controller DIR]
//                                            inject a flash fault from the next boot on:
//                                            erase ADDR | program ADDR | stuck ADDR MASK high|low
//                                            | never-ready BANK CHIP | no-cfi BANK CHIP | clear
//
// These work on the controller's files directly, so they also serve a
// controller whose OS area holds no image and that does not boot.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "sim/controller_maintenance.h"

namespace talvon::sim {
namespace {

constexpr char kUsage[] =
    "usage: talvon-sim create|info|registry|wipe-os [--controller DIR]\n"
    "       talvon-sim recover [--controller DIR] [--image FILE.bin]\n"
    "       talvon-sim fault erase ADDR|program ADDR|stuck ADDR MASK high|low|never-ready BANK CHIP|\n"
    "                        no-cfi BANK CHIP|clear [--controller DIR]\n";

int Run(int argc, const char* const* argv) {
  if (argc < 2) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string_view command = argv[1];
  constexpr std::string_view kCommands[] = {"create", "info", "registry", "wipe-os", "fault", "recover"};
  if (std::find(std::begin(kCommands), std::end(kCommands), command) == std::end(kCommands)) {
    std::cerr << "talvon-sim: unknown command \"" << command << "\"\n" << kUsage;
    return 2;
  }
  std::string controllerOption;
  std::string imagePath;
  std::vector<std::string> faultWords;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if ((arg == "--controller" || arg == "--image") && i + 1 < argc) {
      (arg == "--controller" ? controllerOption : imagePath) = argv[++i];
    } else if (command == "fault" && !arg.starts_with("--")) {
      faultWords.emplace_back(arg);
    } else {
      std::cerr << "talvon-sim: unexpected argument \"" << arg << "\"\n" << kUsage;
      return 2;
    }
  }
  if (!imagePath.empty() && command != "recover") {
    std::cerr << "talvon-sim: --image goes with recover only\n";
    return 2;
  }
  const auto directory = ResolveControllerDirectory(controllerOption, ProcessEnvironment());
  if (directory.empty()) {
    std::cerr << "talvon-sim: no controller directory: pass --controller DIR or set TALVON_CONTROLLER\n";
    return 2;
  }
  std::string error;
  // Only create makes a controller: a mistyped directory must not become one.
  const ControllerFilesMode mode = command == "create"                              ? ControllerFilesMode::Create
                                   : command == "info" || command == "registry" ? ControllerFilesMode::ReadOnly
                                                                                    : ControllerFilesMode::Change;
  auto controller = OpenControllerFiles(directory, &error, mode);
  if (!controller) {
    std::cerr << "talvon-sim: " << error << '\n';
    return 1;
  }
  bool ok = true;
  if (command == "create") {
    std::cout << "controller at " << directory.string() << '\n';
  } else if (command == "info") {
    PrintControllerInfo(*controller, std::cout);
  } else if (command == "registry") {
    ok = PrintBootRegistry(*controller, std::cout, &error);
  } else if (command == "wipe-os") {
    ok = WipeOsArea(*controller, &error);
    if (ok) std::cout << "OS image area erased: the controller will not boot until recovered\n";
  } else if (command == "fault") {
    ok = AddFlashFault(*controller, faultWords, &error);
    if (ok) std::cout << "flash faults set in controller.json; they apply from the next boot\n";
  } else if (command == "recover") {
    ok = imagePath.empty() ? WriteFactoryOsImage(*controller, &error)
                           : WriteOsImageFile(*controller, imagePath, &error);
    if (ok) std::cout << "OS image written: the controller boots again\n";
  } else {
    std::cerr << "talvon-sim: unknown command \"" << command << "\"\n" << kUsage;
    return 2;
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
