#include "app/utility_session.h"

#include "pages/autorun/auto_run_page.h"
#include "pages/general/general_setting_page.h"
#include "pages/info/system_info_page.h"
#include "pages/newcard/new_card_page.h"
#include "pages/server/server_page.h"
#include "pages/update/update_page.h"

namespace talvon {

UtilitySession::UtilitySession(Platform& platformRoles, DialogBackend& dialogBackend)
    : platform(platformRoles),
      backend(dialogBackend),
      appBoxes_(dialogBackend),
      rebootSheet_(*this),
      noRebootSheet_(*this) {}

UtilitySession::~UtilitySession() = default;

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
