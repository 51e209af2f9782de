#include "platform/templates/template_items.h"

#include <utility>

namespace talvon::templates {
namespace {

DialogItem Make(int id, ControlClass cls, ControlKind kind, std::string text, int x, int y, int w, int h,
                std::uint32_t style) {
  DialogItem item;
  item.id = id;
  item.cls = cls;
  item.kind = kind;
  item.x = x;
  item.y = y;
  item.w = w;
  item.h = h;
  item.text = std::move(text);
  item.style = style;
  return item;
}

}  // namespace

DialogItem PushButton(int id, std::string text, int x, int y, int w, int h) {
  return Make(id, ControlClass::Button, ControlKind::PushButton, std::move(text), x, y, w, h,
              kVisibleChild | WS_TABSTOP | BS_PUSHBUTTON);
}

DialogItem MultiLineButton(int id, std::string text, int x, int y, int w, int h) {
  return Make(id, ControlClass::Button, ControlKind::PushButton, std::move(text), x, y, w, h,
              kVisibleChild | WS_TABSTOP | BS_MULTILINE);
}

DialogItem CheckBox(int id, std::string text, int x, int y, int w, int h) {
  return Make(id, ControlClass::Button, ControlKind::CheckBox, std::move(text), x, y, w, h,
              kVisibleChild | WS_TABSTOP | BS_AUTOCHECKBOX);
}

DialogItem GroupBox(std::string text, int x, int y, int w, int h) {
  return Make(IDC_STATIC, ControlClass::Button, ControlKind::GroupBox, std::move(text), x, y, w, h,
              kVisibleChild | BS_GROUPBOX);
}

DialogItem Text(int id, std::string text, int x, int y, int w, int h) {
  return Make(id, ControlClass::Static, ControlKind::Text, std::move(text), x, y, w, h,
              kVisibleChild | WS_GROUP | SS_LEFT);
}

DialogItem CentredText(int id, std::string text, int x, int y, int w, int h) {
  return Make(id, ControlClass::Static, ControlKind::CentredText, std::move(text), x, y, w, h,
              kVisibleChild | WS_GROUP | SS_CENTER);
}

DialogItem Picture(int id, int bitmapId, int x, int y, int w, int h) {
  DialogItem item = Make(id, ControlClass::Static, ControlKind::Picture, "", x, y, w, h, kVisibleChild | SS_BITMAP);
  item.bitmapId = bitmapId;
  return item;
}

DialogItem TapPicture(int id, int bitmapId, int x, int y, int w, int h) {
  DialogItem item = Picture(id, bitmapId, x, y, w, h);
  item.style |= SS_NOTIFY;
  return item;
}

DialogItem Edit(int id, int x, int y, int w, int h) {
  return Make(id, ControlClass::Edit, ControlKind::Edit, "", x, y, w, h,
              kVisibleChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL);
}

DialogItem Combo(int id, std::vector<std::string> items, int x, int y, int w, int h) {
  DialogItem item = Make(id, ControlClass::ComboBox, ControlKind::ComboBox, "", x, y, w, h,
                         kVisibleChild | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN);
  item.comboItems = std::move(items);
  return item;
}

DialogItem Trackbar(int id, std::string text, int x, int y, int w, int h, std::uint32_t trackbarStyle) {
  return Make(id, ControlClass::Trackbar, ControlKind::Trackbar, std::move(text), x, y, w, h,
              kVisibleChild | WS_TABSTOP | trackbarStyle);
}

DialogItem Progress(int id, std::string text, int x, int y, int w, int h) {
  return Make(id, ControlClass::Progress, ControlKind::Progress, std::move(text), x, y, w, h,
              kVisibleChild | WS_BORDER | PBS_SMOOTH);
}

DialogItem Tab(int id, std::string text, int x, int y, int w, int h) {
  return Make(id, ControlClass::TabControl, ControlKind::TabControl, std::move(text), x, y, w, h, kVisibleChild);
}

DialogItem Tree(int id, std::string text, int x, int y, int w, int h) {
  return Make(id, ControlClass::TreeView, ControlKind::TreeView, std::move(text), x, y, w, h,
              kVisibleChild | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
}

DialogItem Hidden(DialogItem item) {
  item.style &= ~WS_VISIBLE;
  return item;
}

DialogItem Disabled(DialogItem item) {
  item.style |= WS_DISABLED;
  return item;
}

DialogItem WithStyle(DialogItem item, std::uint32_t style) {
  item.style = style;
  return item;
}

}  // namespace talvon::templates
