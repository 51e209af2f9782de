#pragma once
#include <cstddef>
#include <iosfwd>
#include <string>

#include "platform/platform.h"
#include "platform/window_messages.h"
#include "runner/controller_provider.h"
#include "runner/script.h"

namespace talvon {
class HeadlessDriver;
}  // namespace talvon

namespace talvon::runner {

// Exit codes of a scripted run.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUnanswered = 1;   // a message box or file dialog found no fitting answer
inline constexpr int kExitScriptError = 2;  // the script is wrong, or a command could not be carried out
inline constexpr int kExitNoBoot = 3;       // the controller does not boot

// Runs the utility headless on a controller, driven by a script, and writes
// the transcript to `out` (diagnostics to `err`). The utility starts as on
// the panel; each command acts as the operator would; Reset_TalVon prints
// "reboot", boots the controller again and the script goes on. At the end of
// the script the home screen is closed.
class ScriptRunner {
 public:
  ScriptRunner(ControllerProvider& provider, std::ostream& out, std::ostream& err)
      : provider_(provider), out_(out), err_(err) {}

  int Run(const Script& script);

 private:
  // Carries out one command; false ends the run with a script error.
  bool Execute(const ScriptCommand& command, HeadlessDriver& driver);
  bool Tap(const ScriptCommand& command, HeadlessDriver& driver, WindowHandle window, int controlId);
  bool Fail(const ScriptCommand& command, const std::string& why);
  void Line(const std::string& line);
  // "reg KEY VALUE TYPE BYTES DATA" or "reg KEY VALUE absent", from the running registry.
  void PrintRegistryValue(const ScriptCommand& command);

  ControllerProvider& provider_;
  std::ostream& out_;
  std::ostream& err_;
  bool unanswered_ = false;
  Platform* platform_ = nullptr;  // the booted controller's roles while the utility runs
};

}  // namespace talvon::runner
