#pragma once
#include "operations/image_path.h"

namespace talvon {

// What CUpdatePage keeps for the whole run of the utility. The run keeps one
// instance and hands it to the page, so a reboot or a test starts it afresh.
struct UpdatePageState {
  // The path of the last file Browse accepted, narrow; all zero at start.
  ImagePathBuffer imagePath{};
};

}  // namespace talvon
