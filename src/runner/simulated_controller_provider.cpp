// The controller a headless run boots: the simulated controller kept in a
// directory. It is wired in here once the simulator offers a whole
// controller; until then a run reports that there is none.
#include "runner/headless_main.h"

namespace talvon::runner {

std::unique_ptr<ControllerProvider> MakeControllerProvider(const std::string& directory, std::string* error) {
  *error = "no simulated controller in this build to boot from \"" + directory + "\"";
  return nullptr;
}

}  // namespace talvon::runner
