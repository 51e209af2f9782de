#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window_messages.h"

namespace talvon {

// The window class of a dialog item, as named in the template.
enum class ControlClass {
  Button,      // "BUTTON"
  Static,      // "STATIC"
  Edit,        // "EDIT"
  ComboBox,    // "COMBOBOX"
  TabControl,  // "SysTabControl32"
  TreeView,    // "SysTreeView32"
  Trackbar,    // "msctls_trackbar32"
  Progress,    // "msctls_progress32"
};

// What the item is, within its class; decided by its style bits.
enum class ControlKind {
  PushButton,
  CheckBox,  // auto check box: a tap toggles it, then BN_CLICKED
  GroupBox,
  Text,         // left-aligned static text
  CentredText,  // centred static text
  Picture,      // static bitmap
  Edit,
  ComboBox,  // drop-down with an edit field
  TabControl,
  TreeView,
  Trackbar,
  Progress,
};

const char* ControlClassName(ControlClass cls);

// One item of a dialog template. Rectangles are in dialog units.
struct DialogItem {
  int id = IDC_STATIC;  // -1 for unnamed decoration
  ControlClass cls = ControlClass::Static;
  ControlKind kind = ControlKind::Text;
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  std::string text;  // caption text; empty for pictures
  int bitmapId = 0;  // pictures: the bitmap resource shown
  std::uint32_t style = 0;
  std::vector<std::string> comboItems;  // combo boxes: items from the template, in order

  bool Visible() const { return (style & WS_VISIBLE) != 0; }
  bool Disabled() const { return (style & WS_DISABLED) != 0; }
  // A picture with SS_NOTIFY answers a tap with STN_CLICKED.
  bool Notifies() const { return kind == ControlKind::Picture && (style & SS_NOTIFY) != 0; }
};

// A dialog template: the window and its items in template (stacking) order.
struct DialogTemplate {
  int id = 0;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  std::string fontName;
  int fontSize = 0;
  int cx = 0;  // dialog units
  int cy = 0;
  std::string caption;
  std::vector<DialogItem> items;

  bool Visible() const { return (style & WS_VISIBLE) != 0; }
  bool IsChild() const { return (style & WS_CHILD) != 0; }
  // The first item with this identifier, or nullptr. -1 finds nothing.
  const DialogItem* FindItem(int itemId) const;
};

// Every template of the utility by its number: 102, 129, 130, 131, 132, 133,
// 134, 145, 237. nullptr for any other number.
const DialogTemplate* FindDialogTemplate(int templateId);
// The numbers of every template, ascending.
std::vector<int> AllDialogTemplateIds();

}  // namespace talvon
