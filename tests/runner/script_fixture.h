#pragma once
// Runs talvon-utility --headless --script on a simulated controller kept in
// a temporary folder, and reads what the controller persisted by booting it
// again, as a technician's tool would; and runs a script's text on the
// controllers a provider boots.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/templates/ids_129.h"
#include "platform/text.h"
#include "runner/headless_main.h"
#include "runner/script.h"
#include "runner/script_runner.h"
#include "script_ids.h"
#include "sim/controller/simulated_controller.h"
#include "support/controller_folder.h"

namespace talvon::test {

// A script that does not parse fails the test.
inline int RunScriptText(runner::ControllerProvider& provider, const std::string& source, std::ostream& out,
                         std::ostream& err) {
  runner::Script script;
  std::string error;
  EXPECT_TRUE(runner::ParseScript(source, &script, &error)) << error;
  runner::ScriptRunner r(provider, out, err);
  return r.Run(script);
}

class HeadlessScriptTest : public ::testing::Test {
 protected:
  // Runs the script; `out` holds the transcript and `err` the diagnostics.
  int RunScript(const std::string& source) {
    const std::filesystem::path file = dir_.Path() / ("script-" + std::to_string(++runs_) + ".txt");
    std::ofstream(file) << source;
    const std::string script = file.string();
    const std::string controller = ControllerDir().string();
    const char* argv[] = {"talvon-utility", "--headless", "--script", script.c_str(), "--controller",
                          controller.c_str()};
    out.str("");
    err.str("");
    return runner::HeadlessMain(6, argv, out, err);
  }

  std::filesystem::path ControllerDir() const { return dir_.Dir(); }

  // The controller booted from what it persisted (created on first use).
  sim::SimulatedController& Persisted() {
    controller_.reset();
    controller_ = dir_.Boot();
    return *controller_;
  }
  // Lets the controller go down before a script boots it again.
  void ShutDown() { controller_.reset(); }

  const sim::RegistryValue* Value(std::string_view key, std::string_view name) {
    return Persisted().Registry().Store().FindValue(key, name);
  }
  std::string Text(std::string_view key, std::string_view name) {
    const sim::RegistryValue* v = Value(key, name);
    return v == nullptr ? "<missing>" : FromRegSz(v->data.data(), v->data.size());
  }

  // A file in the controller's file system ("CompactFlash/tools/a.exe").
  void PutFile(const std::string& relative) {
    Persisted();
    ShutDown();
    dir_.PutFile(relative, "stand-in\n");
  }

  std::ostringstream out;
  std::ostringstream err;

 private:
  ControllerFolder dir_;
  std::unique_ptr<sim::SimulatedController> controller_;
  int runs_ = 0;
};

// Confirm Registry, both questions answered Yes: the registry goes to flash
// and the controller reboots.
inline const std::string kFlushAndReboot =
    "answer yes\n"
    "answer yes\n"
    "click " + Id(ids129::kConfirmRegistryButton) + "\n";
inline constexpr char kFlushAndRebootLines[] =
    "box Save Registry | It would take 10-15 seconds to store your settings into internal non-volatile memory. "
    "Proceed ? | 36 -> yes\n"
    "box System Reboot | All settings you changed will take effect\\n after system reboot, reboot now ? | 52 -> yes\n"
    "reboot\n";

}  // namespace talvon::test
