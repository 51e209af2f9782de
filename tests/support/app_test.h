#pragma once
// The utility on stand-ins for the controller's roles, kept in memory.
#include "support/fakes.h"
#include "support/utility_test.h"

namespace talvon::test {

class AppTest : public UtilityTest {
 protected:
  // Set up before the test, so that it can queue the operator's answers.
  AppTest() { SetUpRun(controller.platform, controller.clock); }

  FakeController controller;
};

}  // namespace talvon::test
