// talvon-utility in a window.
#pragma once

namespace talvon::qt {

// talvon-utility [--controller DIR] [--fullscreen | --windowed] [--scale FACTOR]:
// opens the home screen on the panel and runs until the operator closes it.
// Answers the process's exit code.
int WindowMain(int argc, char** argv);

}  // namespace talvon::qt
