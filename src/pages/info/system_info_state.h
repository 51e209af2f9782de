#pragma once
#include "platform/processes.h"

namespace talvon {

// What CSystemInfoPage keeps for the whole run of the utility. The run keeps one
// instance and hands it to the page, so a reboot or a test starts it afresh.
struct SystemInfoState {
  // The registry viewer last started by View Registry (each start overwrites it).
  ProcessInformation registryViewer;
};

}  // namespace talvon
