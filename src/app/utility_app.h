#pragma once
#include "app/utility_session.h"

namespace talvon {

// The application object: runs the home screen and ends the run when it
// closes. It owns the run's session, so a new CUtilityApp is a fresh start
// (as after a reboot).
class CUtilityApp {
 public:
  CUtilityApp(Platform& platform, DialogBackend& backend) : session_(platform, backend) {}

  // Runs the home screen modally; answers false: there is no message loop of
  // the application's own after it, the run ends.
  bool InitInstance();
  UtilitySession& Session() { return session_; }

 private:
  UtilitySession session_;
};

}  // namespace talvon
