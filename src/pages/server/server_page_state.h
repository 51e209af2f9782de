#pragma once
#include <string>

namespace talvon {

// What CServerPage keeps for the whole run of the utility. The run keeps one
// instance and hands it to the page, so a reboot or a test starts it afresh.
struct ServerPageState {
  // The two password fields hold the "*" placeholder of the stored password
  // that the page put there, untouched by the operator.
  bool placeholderShown = false;
  // What Get Password read back and unscrambled; nothing shows it.
  std::u16string password;
};

}  // namespace talvon
