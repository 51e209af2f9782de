#include "app/utility_app.h"

#include "app/home_dlg.h"

namespace talvon {

bool CUtilityApp::InitInstance() {
  CHomeDlg home(session_);
  session_.mainWindow = &home;
  home.DoModal(session_.backend);  // the result does not matter
  session_.mainWindow = nullptr;
  return false;
}

}  // namespace talvon
