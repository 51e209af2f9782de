#pragma once
// Setting up a simulated controller from the bench: the module in a slot and
// the registry the next boot reads, changed through the controller's files.
#include <optional>
#include <string>

#include "sim/controller/controller_maintenance.h"

namespace talvon::sim {

// A module for a slot, from the words a technician types: a positive
// identifier, or one of the communication modules by name ("rs232-2port",
// "rs232-4port", "rs485-2port", "rs485-4port"). With a bus name it is a
// serial-bus module, which answers that name on "COM1:".
std::optional<SlotConfig> ModuleForSlot(const std::string& module, const std::optional<std::string>& busName,
                                        std::string* error);

// Puts `module` into slot 1..7 (an unoccupied SlotConfig empties it) and
// saves controller.json; a setting it cannot hold is refused unchanged.
bool SetSlot(ControllerFiles& controller, int slot, const SlotConfig& module, std::string* error);

// Makes REGEDIT4 text the registry the next boot reads: encoded as a hive
// and written into the registry area through the flash driver. Without
// `merge` the text is the whole registry (what `registry` printed imports
// back to the same registry); with it, the text is applied to the registry
// the next boot would read. Text with an error changes nothing.
bool ImportRegistry(ControllerFiles& controller, const std::string& regText, bool merge, std::string* error);

}  // namespace talvon::sim
