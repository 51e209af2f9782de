#pragma once
#include <string_view>

namespace talvon::sim {

// The factory registry of a new controller, in REGEDIT4 text form. It is
// written to the controller directory as factory.reg when a controller is
// created, and booted whenever the registry area holds no valid hive.
std::string_view DefaultFactoryRegistry();

}  // namespace talvon::sim
