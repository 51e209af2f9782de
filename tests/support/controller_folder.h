#pragma once
// A whole simulated controller kept in a temporary folder (its flash,
// registry store, configuration and files), booted as often as a test
// needs, with the virtual clock it runs on.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "sim/controller/simulated_controller.h"
#include "support/temp_dir.h"

namespace talvon::test {

class ControllerFolder {
 public:
  // The folder itself, for what a test keeps beside the controller.
  const std::filesystem::path& Path() const { return dir_.Path(); }
  std::filesystem::path Dir() const { return dir_.Path() / "controller"; }
  VirtualClock& Clock() { return clock_; }

  // Programs the controller starts print nothing into the test's output.
  static sim::ControllerOptions QuietOptions() {
    sim::ControllerOptions options;
    options.childOutput = sim::SimProcesses::ChildOutput::Discard;
    return options;
  }

  // Boots what the folder holds (a factory controller the first time). A
  // controller that does not boot fails the test, unless `error` is given
  // to take the reason.
  std::unique_ptr<sim::SimulatedController> Boot(std::string* error = nullptr) {
    std::string why;
    auto controller = sim::SimulatedController::Boot(Dir(), clock_, &why, QuietOptions());
    if (error != nullptr) {
      *error = why;
    } else if (controller == nullptr) {
      ADD_FAILURE() << why;
    }
    return controller;
  }

  // A file of the controller's file system ("CompactFlash/nk.bin"), put there from the host.
  std::filesystem::path HostPath(const std::string& relative) const { return Dir() / "fs" / relative; }
  void PutFile(const std::string& relative, const std::string& bytes) { WriteFile(HostPath(relative), bytes); }
  void PutFile(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    PutFile(relative, std::string(bytes.begin(), bytes.end()));
  }

 private:
  TempDir dir_;
  VirtualClock clock_;
};

}  // namespace talvon::test
