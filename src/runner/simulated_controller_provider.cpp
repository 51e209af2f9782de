// The controller a headless run boots: the simulated controller kept in a
// directory, on a virtual clock so that the utility's waits cost no time.
#include "runner/simulated_controller_provider.h"

#include "runner/headless_main.h"

namespace talvon::runner {
namespace {

class BootedSimulatedController final : public BootedController {
 public:
  explicit BootedSimulatedController(std::unique_ptr<sim::SimulatedController> controller)
      : controller_(std::move(controller)) {}
  Platform& GetPlatform() override { return controller_->GetPlatform(); }
  sim::SimulatedController* Simulated() override { return controller_.get(); }

 private:
  std::unique_ptr<sim::SimulatedController> controller_;
};

// A provider that owns the virtual clock its boots share.
class HeadlessControllerProvider final : public ControllerProvider {
 public:
  explicit HeadlessControllerProvider(std::filesystem::path directory)
      : provider_(std::move(directory), clock_, HeadlessOptions()) {}
  std::unique_ptr<BootedController> Boot(std::string* error) override { return provider_.Boot(error); }

 private:
  static sim::ControllerOptions HeadlessOptions() {
    sim::ControllerOptions options;
    // The transcript is the run's output; programs must not write into it.
    options.childOutput = sim::SimProcesses::ChildOutput::Discard;
    return options;
  }

  VirtualClock clock_;
  SimulatedControllerProvider provider_;
};

}  // namespace

std::unique_ptr<BootedController> SimulatedControllerProvider::Boot(std::string* error) {
  std::unique_ptr<sim::SimulatedController> controller = sim::SimulatedController::Boot(directory_, clock_, error,
                                                                                        options_);
  if (!controller) return nullptr;
  return std::make_unique<BootedSimulatedController>(std::move(controller));
}

std::unique_ptr<ControllerProvider> MakeControllerProvider(const std::string& directory, std::string* error) {
  if (directory.empty()) {
    *error = "no controller directory: set HOME, XDG_DATA_HOME or TALVON_CONTROLLER, or pass --controller DIR";
    return nullptr;
  }
  return std::make_unique<HeadlessControllerProvider>(directory);
}

}  // namespace talvon::runner
