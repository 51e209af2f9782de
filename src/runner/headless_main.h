#pragma once
#include <iosfwd>
#include <memory>
#include <string>

#include "runner/controller_provider.h"

namespace talvon::runner {

// true when the command line asks for a headless run (--headless).
bool IsHeadlessInvocation(int argc, const char* const* argv);

// talvon-utility --headless --script FILE [--controller DIR]: runs the script
// on the controller and answers the exit code (see script_runner.h; 2 also
// for a bad command line or an unreadable script).
int HeadlessMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// The controller directory when none is given: $TALVON_CONTROLLER, else
// $XDG_DATA_HOME/talvon/controller, else ~/.local/share/talvon/controller.
std::string DefaultControllerDirectory();

// The simulated controller kept in a directory. nullptr, with a message in
// *error, when this build has none.
std::unique_ptr<ControllerProvider> MakeControllerProvider(const std::string& directory, std::string* error);

}  // namespace talvon::runner
