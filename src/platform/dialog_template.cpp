#include "platform/dialog_template.h"

#include "platform/templates/template_items.h"

namespace talvon {

const char* ControlClassName(ControlClass cls) {
  switch (cls) {
    case ControlClass::Button:
      return "BUTTON";
    case ControlClass::Static:
      return "STATIC";
    case ControlClass::Edit:
      return "EDIT";
    case ControlClass::ComboBox:
      return "COMBOBOX";
    case ControlClass::TabControl:
      return "SysTabControl32";
    case ControlClass::TreeView:
      return "SysTreeView32";
    case ControlClass::Trackbar:
      return "msctls_trackbar32";
    case ControlClass::Progress:
      return "msctls_progress32";
  }
  return "";
}

const DialogItem* DialogTemplate::FindItem(int itemId) const {
  if (itemId == IDC_STATIC) return nullptr;
  for (const DialogItem& item : items) {
    if (item.id == itemId) return &item;
  }
  return nullptr;
}

const DialogTemplate* FindDialogTemplate(int templateId) {
  switch (templateId) {
    case 102:
      return &HomeTemplate102();
    case 129:
      return &RebootSheetTemplate129();
    case 130:
      return &NoRebootSheetTemplate130();
    case 131:
      return &AutoRunPageTemplate131();
    case 132:
      return &SystemInfoPageTemplate132();
    case 133:
      return &UpdatePageTemplate133();
    case 134:
      return &GeneralSettingPageTemplate134();
    case 145:
      return &ServerPageTemplate145();
    case 237:
      return &NewCardPageTemplate237();
    default:
      return nullptr;
  }
}

std::vector<int> AllDialogTemplateIds() { return {102, 129, 130, 131, 132, 133, 134, 145, 237}; }

}  // namespace talvon
