// talvon-utility in a window.
#pragma once
#include "sim/controller/simulated_controller.h"

namespace talvon::qt {

// How the window boots a simulated controller. The controller's programs
// have no terminal: what the stand-ins write (the registry viewer's script
// prints the factory registry) goes nowhere, not onto the terminal that
// started the utility; the panel shows the programs in their windows.
sim::ControllerOptions WindowControllerOptions();

// talvon-utility [--controller DIR] [--fullscreen | --windowed] [--scale FACTOR]:
// opens the home screen on the panel and runs until the operator closes it.
// Answers the process's exit code.
int WindowMain(int argc, char** argv);

}  // namespace talvon::qt
