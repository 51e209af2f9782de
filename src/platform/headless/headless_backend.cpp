// Windows of the headless backend. The message flow and the operator's
// answers are in headless_message_flow.cpp, the controls' own operations in
// headless_controls.cpp.
#include "platform/headless/headless_backend.h"

#include <algorithm>

namespace talvon {
namespace {

// 1.5 pixels per dialog unit on both axes.
int ToPixels(int dialogUnits) { return dialogUnits * 3 / 2; }

Rect ItemRect(const DialogItem& item) {
  return Rect{ToPixels(item.x), ToPixels(item.y), ToPixels(item.x + item.w), ToPixels(item.y + item.h)};
}

HeadlessControl BuildControl(const DialogItem& item, ImageHandle image) {
  HeadlessControl c;
  c.item = &item;
  c.id = item.id;
  c.rect = ItemRect(item);
  c.text = item.text;
  c.visible = item.Visible();
  c.enabled = !item.Disabled();
  c.image = image;
  c.comboItems = item.comboItems;
  if (item.cls == ControlClass::Edit && (item.style & ES_PASSWORD) != 0) c.passwordChar = u'*';
  c.trackbar.pageSize = 20;
  c.needsPaint = item.kind == ControlKind::Trackbar;
  return c;
}

}  // namespace

HeadlessControl* HeadlessWindow::Control(int controlId) {
  if (controlId == IDC_STATIC) return nullptr;
  for (HeadlessControl& c : controls) {
    if (c.id == controlId) return &c;
  }
  return nullptr;
}

const HeadlessControl* HeadlessWindow::Control(int controlId) const {
  return const_cast<HeadlessWindow*>(this)->Control(controlId);
}

HeadlessBackend::HeadlessBackend(Clock& clock)
    : clock_(clock),
      ownAnswers_(std::make_unique<AnswerQueue>()),
      ownTranscript_(std::make_unique<Transcript>()),
      answers_(ownAnswers_.get()),
      transcript_(ownTranscript_.get()) {}

HeadlessBackend::HeadlessBackend(Clock& clock, AnswerQueue& answers, Transcript& transcript)
    : clock_(clock), answers_(&answers), transcript_(&transcript) {}

HeadlessBackend::~HeadlessBackend() = default;

HeadlessWindow* HeadlessBackend::FindWindow(WindowHandle window) {
  auto it = windows_.find(window);
  return it != windows_.end() ? &it->second : nullptr;
}

const HeadlessWindow* HeadlessBackend::FindWindow(WindowHandle window) const {
  auto it = windows_.find(window);
  return it != windows_.end() ? &it->second : nullptr;
}

HeadlessControl* HeadlessBackend::FindControl(WindowHandle window, int controlId) {
  HeadlessWindow* w = FindWindow(window);
  return w != nullptr ? w->Control(controlId) : nullptr;
}

std::vector<WindowHandle> HeadlessBackend::Windows() const {
  std::vector<WindowHandle> out;
  for (const auto& [handle, w] : windows_) out.push_back(handle);
  return out;
}

std::vector<WindowHandle> HeadlessBackend::ZOrder(WindowHandle parent) const {
  auto it = zOrder_.find(parent);
  return it != zOrder_.end() ? it->second : std::vector<WindowHandle>{};
}

bool HeadlessBackend::IsOnScreen(WindowHandle window) const {
  for (const HeadlessWindow* w = FindWindow(window); w != nullptr; w = FindWindow(w->parent)) {
    if (!w->visible) return false;
    if (!w->IsChild()) return true;  // an owned top-level window shows on its own
  }
  return false;
}

int HeadlessBackend::ResourceOfImage(ImageHandle image) const {
  auto it = images_.find(image);
  return it != images_.end() ? it->second : 0;
}

std::vector<int> HeadlessBackend::ImageListBitmaps(ImageListHandle list) const {
  auto it = imageLists_.find(list);
  return it != imageLists_.end() ? it->second : std::vector<int>{};
}

ImageHandle HeadlessBackend::NewImage(int resourceId) {
  const ImageHandle handle = nextImage_++;
  images_[handle] = resourceId;
  return handle;
}

LRESULT HeadlessBackend::Send(WindowHandle window, const WindowMessage& message) {
  HeadlessWindow* w = FindWindow(window);
  if (w == nullptr || w->sink == nullptr) return 0;
  DialogWindowSink* sink = w->sink;  // the map may change while the dialog handles it
  return sink->OnWindowMessage(message);
}

void HeadlessBackend::MarkForPaint(WindowHandle window) {
  HeadlessWindow* w = FindWindow(window);
  if (w == nullptr) return;
  for (HeadlessControl& c : w->controls) {
    if (c.item->kind == ControlKind::Trackbar) c.needsPaint = true;
  }
  for (auto& [handle, other] : windows_) {
    if (other.parent == window && other.IsChild()) MarkForPaint(handle);
  }
}

// ---- Windows ----

WindowHandle HeadlessBackend::CreateDialogWindow(const DialogTemplate& dialogTemplate, WindowHandle parent,
                                                 DialogWindowSink& sink) {
  if (parent != 0 && FindWindow(parent) == nullptr) return 0;
  HeadlessWindow w;
  w.handle = nextWindow_++;
  w.dialogTemplate = &dialogTemplate;
  w.parent = parent;
  w.sink = &sink;
  w.rect = Rect{0, 0, ToPixels(dialogTemplate.cx), ToPixels(dialogTemplate.cy)};
  w.caption = dialogTemplate.caption;
  for (const DialogItem& item : dialogTemplate.items) {
    const ImageHandle image = item.kind == ControlKind::Picture && item.bitmapId != 0 ? NewImage(item.bitmapId) : 0;
    w.controls.push_back(BuildControl(item, image));
  }
  const WindowHandle handle = w.handle;
  // Child windows join their siblings at the bottom, like template items;
  // a new top-level window comes to the front.
  auto& siblings = zOrder_[dialogTemplate.IsChild() ? parent : 0];
  if (dialogTemplate.IsChild()) {
    siblings.push_back(handle);
  } else {
    siblings.insert(siblings.begin(), handle);
  }
  windows_.emplace(handle, std::move(w));
  return handle;
}

void HeadlessBackend::DestroyDialogWindow(WindowHandle window) {
  HeadlessWindow* w = FindWindow(window);
  if (w == nullptr) return;
  std::vector<WindowHandle> children;
  for (const auto& [handle, other] : windows_) {
    if (other.parent == window) children.push_back(handle);
  }
  for (WindowHandle child : children) DestroyDialogWindow(child);
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window; });
  for (auto& [parent, siblings] : zOrder_) std::erase(siblings, window);
  zOrder_.erase(window);
  windows_.erase(window);
}

int HeadlessBackend::RunModalLoop(WindowHandle window) {
  HeadlessWindow* w = FindWindow(window);
  if (w == nullptr) return -1;
  w->modalRunning = true;
  for (;;) {
    w = FindWindow(window);
    if (w == nullptr || w->modalEnded) break;
    if (PumpOneMessage()) continue;
    if (operator_ && operator_()) continue;
    break;
  }
  w = FindWindow(window);
  if (w == nullptr) return -1;
  w->modalRunning = false;
  const int result = w->modalEnded ? w->modalResult : -1;
  w->modalEnded = false;
  return result;
}

void HeadlessBackend::EndModalLoop(WindowHandle window, int result) {
  if (HeadlessWindow* w = FindWindow(window)) {
    w->modalEnded = true;
    w->modalResult = result;
  }
}

void HeadlessBackend::RaiseInZOrder(WindowHandle window, WindowHandle insertAfter) {
  HeadlessWindow* w = FindWindow(window);
  if (w == nullptr) return;
  auto& siblings = zOrder_[w->IsChild() ? w->parent : 0];
  std::erase(siblings, window);
  auto after = std::find(siblings.begin(), siblings.end(), insertAfter);
  if (insertAfter == HWND_TOP || after == siblings.end()) {
    siblings.insert(siblings.begin(), window);
  } else {
    siblings.insert(after + 1, window);
  }
}

void HeadlessBackend::ShowWindow(WindowHandle window, int showCommand) {
  HeadlessWindow* w = FindWindow(window);
  if (w == nullptr) return;
  const bool show = showCommand != SW_HIDE;
  const bool wasVisible = w->visible;
  w->visible = show;
  if (show && !w->IsChild()) RaiseInZOrder(window, HWND_TOP);  // showing activates a top-level window
  if (show && !wasVisible) MarkForPaint(window);
}

bool HeadlessBackend::IsWindowVisible(WindowHandle window) {
  const HeadlessWindow* w = FindWindow(window);
  return w != nullptr && w->visible;
}

void HeadlessBackend::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                                   std::uint32_t flags) {
  HeadlessWindow* w = FindWindow(window);
  if (w == nullptr) return;
  if ((flags & SWP_NOMOVE) == 0) {
    const int width = w->rect.Width();
    const int height = w->rect.Height();
    w->rect = Rect{x, y, x + width, y + height};
  }
  if ((flags & SWP_NOSIZE) == 0) {
    w->rect.right = w->rect.left + cx;
    w->rect.bottom = w->rect.top + cy;
  }
  if ((flags & SWP_NOZORDER) == 0) RaiseInZOrder(window, insertAfter);
  w = FindWindow(window);
  if ((flags & SWP_SHOWWINDOW) != 0) {
    const bool wasVisible = w->visible;
    w->visible = true;
    if (!wasVisible) MarkForPaint(window);
  }
  if ((flags & SWP_HIDEWINDOW) != 0) w->visible = false;
}

Rect HeadlessBackend::GetWindowRect(WindowHandle window) {
  const HeadlessWindow* w = FindWindow(window);
  return w != nullptr ? w->rect : Rect{};
}

Rect HeadlessBackend::GetClientRect(WindowHandle window) {
  const HeadlessWindow* w = FindWindow(window);
  return w != nullptr ? Rect{0, 0, w->rect.Width(), w->rect.Height()} : Rect{};
}

void HeadlessBackend::CenterWindow(WindowHandle window) {
  HeadlessWindow* w = FindWindow(window);
  if (w == nullptr) return;
  int areaWidth = kScreenWidth;
  int areaHeight = kScreenHeight;
  if (w->IsChild()) {
    if (const HeadlessWindow* p = FindWindow(w->parent)) {
      areaWidth = p->rect.Width();
      areaHeight = p->rect.Height();
    }
  }
  const int width = w->rect.Width();
  const int height = w->rect.Height();
  w->rect.left = (areaWidth - width) / 2;
  w->rect.top = (areaHeight - height) / 2;
  w->rect.right = w->rect.left + width;
  w->rect.bottom = w->rect.top + height;
  w->centred = true;
}

void HeadlessBackend::SetWindowText(WindowHandle window, std::string_view text) {
  if (HeadlessWindow* w = FindWindow(window)) w->caption = std::string(text);
}

std::string HeadlessBackend::GetWindowText(WindowHandle window) {
  const HeadlessWindow* w = FindWindow(window);
  return w != nullptr ? w->caption : std::string();
}

ImageHandle HeadlessBackend::LoadIconResource(int resourceId) { return NewImage(resourceId); }

void HeadlessBackend::SetWindowIcon(WindowHandle window, ImageHandle icon, int iconSize) {
  HeadlessWindow* w = FindWindow(window);
  if (w == nullptr) return;
  (iconSize == ICON_BIG ? w->bigIcon : w->smallIcon) = icon;
}

void HeadlessBackend::InvalidateWindow(WindowHandle window, bool) { MarkForPaint(window); }

void HeadlessBackend::UpdateWindow(WindowHandle window) { PaintNow(window); }

}  // namespace talvon
