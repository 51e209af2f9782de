// Runs the utility on the panel, again after every reboot of the controller.
#pragma once
#include <functional>
#include <string>

#include "platform/platform.h"
#include "runner/controller_provider.h"

namespace talvon::qt {

class QtDialogBackend;

// What became of the runs.
enum class RunsEnd {
  Closed,  // the operator closed the home screen
  NoBoot,  // the controller did not boot, or kept rebooting as the utility started (the panel said why)
};

struct RunHooks {
  // Called each time the home screen is up, from inside its loop, with the
  // platform of that boot (tools and tests).
  std::function<void(Platform& platform)> onHomeScreen;
  // The pause between a reboot and the next start, in milliseconds.
  int restartPauseMs = 1500;
};

// Boots the controller and runs the utility on the backend's panel; when the
// utility calls Reset_TalVon the run ends, the controller boots again (what
// was not flushed is gone) and the utility starts afresh, the way an
// operator sees the panel come back.
RunsEnd RunUtility(runner::ControllerProvider& provider, QtDialogBackend& backend, const RunHooks& hooks = {});

}  // namespace talvon::qt
