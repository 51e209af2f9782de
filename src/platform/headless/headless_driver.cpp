#include "platform/headless/headless_driver.h"

#include <algorithm>
#include <functional>

#include "platform/message_box.h"

namespace talvon {
namespace {

// A dialog that keeps asking to be repainted would otherwise never settle.
constexpr int kMaxMessagesPerSettle = 100000;

}  // namespace

const char* DescribeDriverResult(DriverResult result) {
  switch (result) {
    case DriverResult::Done:
      return "done";
    case DriverResult::NoWindow:
      return "no such window";
    case DriverResult::NoControl:
      return "no such control";
    case DriverResult::WrongKind:
      return "the control does not take this action";
    case DriverResult::Hidden:
      return "the control is not on screen";
    case DriverResult::Disabled:
      return "the control is disabled";
    case DriverResult::ReadOnly:
      return "the edit is read-only";
    case DriverResult::Busy:
      return "flash work is under way";
    case DriverResult::OutOfRange:
      return "no such item";
    case DriverResult::NotFound:
      return "no item with that text";
  }
  return "";
}

// ---- Finding windows ----

WindowHandle HeadlessDriver::WindowOf(int templateId) const {
  for (WindowHandle handle : backend_.Windows()) {
    const HeadlessWindow* w = backend_.FindWindow(handle);
    if (w != nullptr && w->dialogTemplate->id == templateId) return handle;
  }
  return 0;
}

void HeadlessDriver::AppendFrontToBack(WindowHandle window, std::vector<WindowHandle>& out) const {
  for (WindowHandle child : backend_.ZOrder(window)) {
    if (backend_.IsWindowVisible(child)) {
      AppendFrontToBack(child, out);
      break;  // the front-most child covers the others
    }
  }
  out.push_back(window);
}

std::vector<WindowHandle> HeadlessDriver::WindowsFrontToBack() const {
  std::vector<WindowHandle> out;
  for (WindowHandle top : backend_.ZOrder(0)) {
    if (backend_.IsWindowVisible(top)) AppendFrontToBack(top, out);
  }
  return out;
}

WindowHandle HeadlessDriver::FrontMostWith(int controlId) const {
  for (WindowHandle handle : WindowsFrontToBack()) {
    const HeadlessWindow* w = backend_.FindWindow(handle);
    if (w != nullptr && w->dialogTemplate->FindItem(controlId) != nullptr) return handle;
  }
  return 0;
}

// ---- Actions ----

DriverResult HeadlessDriver::Reach(WindowHandle window, int controlId, HeadlessControl** control) const {
  if (backend_.FindWindow(window) == nullptr) return DriverResult::NoWindow;
  HeadlessControl* c = backend_.FindControl(window, controlId);
  if (c == nullptr) return DriverResult::NoControl;
  if (!c->visible || !backend_.IsOnScreen(window)) return DriverResult::Hidden;
  if (!c->enabled) return DriverResult::Disabled;
  WindowMessage tap;
  tap.message = WM_COMMAND;
  tap.controlId = controlId;
  if (!backend_.InputAllowed(tap)) return DriverResult::Busy;
  *control = c;
  return DriverResult::Done;
}

void HeadlessDriver::Command(WindowHandle window, int controlId, int code) {
  WindowMessage m;
  m.message = WM_COMMAND;
  m.controlId = controlId;
  m.code = code;
  backend_.Send(window, m);
}

void HeadlessDriver::Notify(WindowHandle window, int controlId, int code) {
  WindowMessage m;
  m.message = WM_NOTIFY;
  m.controlId = controlId;
  m.code = code;
  backend_.Send(window, m);
}

void HeadlessDriver::MoveFocus(WindowHandle window, int controlId) {
  if (focusWindow_ == window && focusControl_ == controlId) return;
  const WindowHandle oldWindow = focusWindow_;
  const int oldControl = focusControl_;
  focusWindow_ = window;
  focusControl_ = controlId;
  const HeadlessControl* old = backend_.FindControl(oldWindow, oldControl);
  if (old != nullptr && old->item->kind == ControlKind::Edit) Command(oldWindow, oldControl, EN_KILLFOCUS);
  const HeadlessControl* now = backend_.FindControl(window, controlId);
  if (now != nullptr && now->item->kind == ControlKind::Edit) Command(window, controlId, EN_SETFOCUS);
}

DriverResult HeadlessDriver::Click(WindowHandle window, int controlId) {
  HeadlessControl* c = nullptr;
  const DriverResult reach = Reach(window, controlId, &c);
  if (reach != DriverResult::Done) return reach;
  switch (c->item->kind) {
    case ControlKind::PushButton:
      MoveFocus(window, controlId);
      Command(window, controlId, BN_CLICKED);
      break;
    case ControlKind::CheckBox:
      c->check = c->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
      MoveFocus(window, controlId);
      Command(window, controlId, BN_CLICKED);
      break;
    case ControlKind::Picture:
      if (!c->item->Notifies()) return DriverResult::WrongKind;
      Command(window, controlId, STN_CLICKED);
      break;
    case ControlKind::Edit:
      MoveFocus(window, controlId);
      break;
    default:
      return DriverResult::WrongKind;
  }
  Settle();
  return DriverResult::Done;
}

DriverResult HeadlessDriver::TypeText(WindowHandle window, int controlId, std::string_view text) {
  HeadlessControl* c = nullptr;
  const DriverResult reach = Reach(window, controlId, &c);
  if (reach != DriverResult::Done) return reach;
  if (c->item->kind != ControlKind::Edit) return DriverResult::WrongKind;
  MoveFocus(window, controlId);
  c = backend_.FindControl(window, controlId);  // the focus handler may have changed things
  if (c == nullptr) return DriverResult::NoControl;
  if ((c->item->style & ES_READONLY) != 0 || !c->enabled) {
    Settle();
    return c->enabled ? DriverResult::ReadOnly : DriverResult::Disabled;
  }
  c->text = std::string(text);
  Command(window, controlId, EN_CHANGE);
  Settle();
  return DriverResult::Done;
}

DriverResult HeadlessDriver::PickComboItem(WindowHandle window, int controlId, int index) {
  HeadlessControl* c = nullptr;
  const DriverResult reach = Reach(window, controlId, &c);
  if (reach != DriverResult::Done) return reach;
  if (c->item->kind != ControlKind::ComboBox) return DriverResult::WrongKind;
  if (index < 0 || index >= static_cast<int>(c->comboItems.size())) return DriverResult::OutOfRange;
  MoveFocus(window, controlId);
  backend_.ComboSetCurSel(window, controlId, index);
  Command(window, controlId, CBN_SELCHANGE);
  Settle();
  return DriverResult::Done;
}

DriverResult HeadlessDriver::SelectTab(WindowHandle window, int controlId, int index) {
  HeadlessControl* c = nullptr;
  const DriverResult reach = Reach(window, controlId, &c);
  if (reach != DriverResult::Done) return reach;
  if (c->item->kind != ControlKind::TabControl) return DriverResult::WrongKind;
  if (index < 0 || index >= static_cast<int>(c->tabs.size())) return DriverResult::OutOfRange;
  if (c->tabSelection != index) {  // a tap on the selected tab changes nothing
    c->tabSelection = index;
    Notify(window, controlId, TCN_SELCHANGE);
  }
  Settle();
  return DriverResult::Done;
}

DriverResult HeadlessDriver::SelectTreeItem(WindowHandle window, int controlId, std::string_view text) {
  HeadlessControl* c = nullptr;
  const DriverResult reach = Reach(window, controlId, &c);
  if (reach != DriverResult::Done) return reach;
  if (c->item->kind != ControlKind::TreeView) return DriverResult::WrongKind;
  TreeItemHandle found = 0;
  std::function<void(const std::vector<TreeItemHandle>&)> search = [&](const std::vector<TreeItemHandle>& items) {
    for (TreeItemHandle item : items) {
      if (found != 0) return;
      const HeadlessTreeItem& node = c->treeItems.at(item);
      if (node.text == text) {
        found = item;
        return;
      }
      search(node.children);
    }
  };
  search(c->treeRoots);
  if (found == 0) return DriverResult::NotFound;
  MoveFocus(window, controlId);
  backend_.TreeSelectItem(window, controlId, found);
  Notify(window, controlId, TVN_SELCHANGED);
  Settle();
  return DriverResult::Done;
}

DriverResult HeadlessDriver::MoveTrackbar(WindowHandle window, int controlId, int position) {
  HeadlessControl* c = nullptr;
  const DriverResult reach = Reach(window, controlId, &c);
  if (reach != DriverResult::Done) return reach;
  if (c->item->kind != ControlKind::Trackbar) return DriverResult::WrongKind;
  MoveFocus(window, controlId);
  backend_.TrackbarSetPosition(window, controlId, position, true);
  const int reached = backend_.GetTrackbar(window, controlId).position;
  WindowMessage m;
  m.message = WM_HSCROLL;
  m.controlId = controlId;
  m.code = TB_THUMBTRACK;
  m.position = reached;
  backend_.Send(window, m);
  Settle();  // the thumb is drawn where it was dragged
  m.code = TB_THUMBPOSITION;
  backend_.Send(window, m);
  m.code = TB_ENDTRACK;
  m.position = 0;
  backend_.Send(window, m);
  Settle();
  return DriverResult::Done;
}

DriverResult HeadlessDriver::Close(WindowHandle window) {
  if (backend_.FindWindow(window) == nullptr) return DriverResult::NoWindow;
  WindowMessage m;
  m.message = WM_CLOSE;
  if (!backend_.InputAllowed(m)) return DriverResult::Busy;
  backend_.Send(window, m);
  Settle();
  return DriverResult::Done;
}

DriverResult HeadlessDriver::PressOk(WindowHandle window) {
  if (backend_.FindWindow(window) == nullptr) return DriverResult::NoWindow;
  WindowMessage ok;
  ok.message = WM_COMMAND;
  ok.controlId = IDOK;
  if (!backend_.InputAllowed(ok)) return DriverResult::Busy;
  Command(window, IDOK, BN_CLICKED);
  Settle();
  return DriverResult::Done;
}

void HeadlessDriver::Settle() {
  for (int i = 0; i < kMaxMessagesPerSettle && backend_.PumpOneMessage(); ++i) {
  }
}

void HeadlessDriver::Wait(std::uint64_t milliseconds) {
  Clock& clock = backend_.GetClock();
  const std::uint64_t target = clock.NowMs() + milliseconds;
  for (;;) {
    Settle();
    const std::uint64_t now = clock.NowMs();
    const std::optional<std::uint64_t> next = backend_.NextTimerDue();
    if (!next || *next > target) {
      if (target > now) clock.Sleep(static_cast<std::uint32_t>(target - now));
      Settle();
      return;
    }
    if (*next > now) clock.Sleep(static_cast<std::uint32_t>(*next - now));
  }
}

// ---- Reading ----

const HeadlessControl* HeadlessDriver::Control(WindowHandle window, int controlId) const {
  return backend_.FindControl(window, controlId);
}

int HeadlessDriver::PictureBitmap(WindowHandle window, int controlId) const {
  const HeadlessControl* c = Control(window, controlId);
  return c != nullptr ? backend_.ResourceOfImage(c->image) : 0;
}

std::string HeadlessDriver::DisplayValue(WindowHandle window, int controlId) const {
  const HeadlessControl* c = Control(window, controlId);
  if (c == nullptr) return {};
  switch (c->item->kind) {
    case ControlKind::CheckBox:
      return c->check == BST_CHECKED ? "1" : "0";
    case ControlKind::Picture:
      return std::to_string(PictureBitmap(window, controlId));
    case ControlKind::ComboBox:
      return std::to_string(c->comboSelection);
    case ControlKind::TabControl:
      return std::to_string(c->tabSelection);
    case ControlKind::Trackbar:
      return std::to_string(c->trackbar.position);
    case ControlKind::Progress:
      return std::to_string(c->progress.position);
    default:
      return c->text;
  }
}

std::vector<TreeLine> HeadlessDriver::TreeLines(WindowHandle window, int controlId) const {
  std::vector<TreeLine> lines;
  const HeadlessControl* c = Control(window, controlId);
  if (c == nullptr) return lines;
  std::function<void(const std::vector<TreeItemHandle>&, int)> walk = [&](const std::vector<TreeItemHandle>& items,
                                                                          int depth) {
    for (TreeItemHandle item : items) {
      const HeadlessTreeItem& node = c->treeItems.at(item);
      lines.push_back(TreeLine{depth, node.image, node.selectedImage, node.text, item == c->treeSelection});
      walk(node.children, depth + 1);
    }
  };
  walk(c->treeRoots, 0);
  return lines;
}

ControlColours HeadlessDriver::Colours(WindowHandle window, int controlId) {
  ControlColours colours;
  const HeadlessControl* c = Control(window, controlId);
  if (c == nullptr) return colours;
  switch (c->item->cls) {
    case ControlClass::Button:
      colours.controlType = CTLCOLOR_BTN;
      break;
    case ControlClass::Edit:
      colours.controlType = (c->item->style & ES_READONLY) != 0 || !c->enabled ? CTLCOLOR_STATIC : CTLCOLOR_EDIT;
      break;
    case ControlClass::ComboBox:
      colours.controlType = CTLCOLOR_EDIT;
      break;
    default:
      colours.controlType = CTLCOLOR_STATIC;
      break;
  }
  WindowMessage m;
  m.message = WM_CTLCOLOR;
  m.controlId = controlId;
  m.colours = &colours;
  backend_.Send(window, m);
  return colours;
}

}  // namespace talvon
