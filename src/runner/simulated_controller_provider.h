#pragma once
#include <filesystem>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "runner/controller_provider.h"
#include "sim/controller/simulated_controller.h"

namespace talvon::runner {

// Boots the simulated controller kept in a directory, as often as the
// utility reboots it. Every boot runs on the same clock.
class SimulatedControllerProvider final : public ControllerProvider {
 public:
  SimulatedControllerProvider(std::filesystem::path directory, Clock& clock, sim::ControllerOptions options = {})
      : directory_(std::move(directory)), clock_(clock), options_(std::move(options)) {}

  std::unique_ptr<BootedController> Boot(std::string* error) override;
  const std::filesystem::path& Directory() const { return directory_; }

 private:
  std::filesystem::path directory_;
  Clock& clock_;
  sim::ControllerOptions options_;
};

}  // namespace talvon::runner
