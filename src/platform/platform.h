#pragma once

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/flash_window.h"
#include "platform/memory_division.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/serial_port.h"
#include "sdk/controller_sdk.h"

namespace talvon {

// Every platform role the utility calls on, for one run of the utility.
// The controller (real or simulated) owns the objects; this only refers to them.
struct Platform {
  Registry& registry;
  Files& files;
  Processes& processes;
  SerialPorts& serialPorts;
  MemoryDivision& memory;
  Clock& clock;
  FlashWindow& flash;
  ControllerSdk& sdk;
};

}  // namespace talvon
