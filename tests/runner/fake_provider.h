#pragma once
// A controller for runner tests: each boot is a fresh FakeController whose
// registry starts from what the last boot flushed.
#include <memory>
#include <string>

#include "runner/controller_provider.h"
#include "support/fakes.h"

namespace talvon::test {

class FakeProvider final : public runner::ControllerProvider {
 public:
  int boots = 0;
  bool refuseToBoot = false;
  FakeRegistry::Tree persisted;
  long flushResult = ERROR_SUCCESS;

  std::unique_ptr<runner::BootedController> Boot(std::string* error) override;
};

class FakeBootedController final : public runner::BootedController {
 public:
  explicit FakeBootedController(FakeProvider& provider) : provider_(provider) {
    controller.registry.keys = provider.persisted;
    controller.registry.flushResult = provider.flushResult;
  }
  ~FakeBootedController() override {
    if (controller.registry.flushes > 0 && controller.registry.flushResult == ERROR_SUCCESS) {
      provider_.persisted = controller.registry.flushed;
    }
  }
  Platform& GetPlatform() override { return controller.platform; }
  FakeController controller;

 private:
  FakeProvider& provider_;
};

inline std::unique_ptr<runner::BootedController> FakeProvider::Boot(std::string* error) {
  if (refuseToBoot) {
    *error = "the OS area holds no image";
    return nullptr;
  }
  ++boots;
  return std::make_unique<FakeBootedController>(*this);
}

}  // namespace talvon::test
