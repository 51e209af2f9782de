#pragma once
#include <memory>
#include <string>

#include "platform/platform.h"

namespace talvon::sim {
class SimulatedController;
}

namespace talvon::runner {

// One boot of a controller: its platform roles, valid until the object is
// destroyed (the controller shuts down). Whatever it persists (the flushed
// registry, flash, files) is what the next boot starts from.
class BootedController {
 public:
  virtual ~BootedController() = default;
  virtual Platform& GetPlatform() = 0;
  // The simulated controller behind this boot, whose stand-in programs a
  // panel may show; nullptr for a controller with programs of its own.
  virtual sim::SimulatedController* Simulated() { return nullptr; }
};

// Boots a controller, again and again: the first boot when a run starts, a
// new one after each Reset_TalVon. A boot forgets every registry change that
// was not flushed.
class ControllerProvider {
 public:
  virtual ~ControllerProvider() = default;
  // nullptr, with a message in *error, when the controller does not boot.
  virtual std::unique_ptr<BootedController> Boot(std::string* error) = 0;
};

}  // namespace talvon::runner
