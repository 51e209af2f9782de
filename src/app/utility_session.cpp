#include "app/utility_session.h"

#include "app/home_dlg.h"

#include "pages/autorun/auto_run_page.h"
#include "pages/general/general_setting_page.h"
#include "pages/info/system_info_page.h"
#include "pages/newcard/new_card_page.h"
#include "pages/server/server_page.h"
#include "pages/update/update_page.h"

namespace talvon {

UtilitySession::UtilitySession(Platform& platformRoles, DialogBackend& dialogBackend)
    : guard_(platformRoles.flash, platformRoles.sdk, dialogBackend,
             [this] {
               // As the operator's own close of the home screen.
               if (mainWindow == nullptr) return;
               rebootSheet_.EndDialog(IDOK);
               noRebootSheet_.EndDialog(IDOK);
               mainWindow->EndDialog(IDCANCEL);
             }),
      platform(Platform{platformRoles.registry, platformRoles.files, platformRoles.processes, platformRoles.serialPorts,
                        platformRoles.memory, platformRoles.clock, platformRoles.flash, guard_}),
      backend(dialogBackend),
      appBoxes_(dialogBackend),
      pageContext_{platform, backend, appBoxes_, transfer, *this},
      rebootSheet_(*this),
      noRebootSheet_(*this) {}

UtilitySession::~UtilitySession() = default;

void UtilitySession::HideConfigurationSheet() { rebootSheet_.ShowWindow(SW_HIDE); }

void UtilitySession::HideInformationSheet() { noRebootSheet_.ShowWindow(SW_HIDE); }

CDialog* UtilitySession::ConfigurationPage(int index) const {
  switch (index) {
    case 0:
      return page0;
    case 1:
      return page1;
    case 2:
      return page2;
    case 3:
      return page3;
    case 4:
      return page4;
    default:
      return nullptr;
  }
}

}  // namespace talvon
