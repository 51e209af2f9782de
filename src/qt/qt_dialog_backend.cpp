// Windows of the Qt backend. The controls' operations are in
// qt_backend_controls.cpp, the message flow (timers, loops, focus, message
// boxes, file dialogs, the pump) in qt_backend_messages.cpp.
#include "qt/qt_dialog_backend.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>

#include "platform/message_box.h"
#include "qt/artwork_pixmaps.h"
#include "qt/busy_sign.h"
#include "qt/focus_watcher.h"
#include "qt/frame_window.h"
#include "qt/panel_theme.h"
#include "qt/panel_widget.h"
#include "qt/progress_widget.h"
#include "qt/tab_control_widget.h"
#include "qt/text_fit.h"
#include "qt/trackbar_widget.h"

namespace talvon::qt {
namespace {

// WS_EX_CAPTIONOKBTN: an OK button in the caption.
constexpr std::uint32_t kCaptionOkButton = 0x80000000;
// A drop-down combo's rectangle includes its list; the field itself is
// this high.
constexpr int kComboFieldHeight = 13;

Rect ToRect(const QRect& r) { return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

}  // namespace

QWidget* QtDialogBackend::Window::Outer() const { return frame != nullptr ? static_cast<QWidget*>(frame) : client; }

QtDialogBackend::QtDialogBackend(double panelFactor)
    : panel_(new PanelWidget(panelFactor)),
      focusWatcher_(new FocusWatcher(panel_)),
      busySign_(new BusySign(panel_, panelFactor)) {
  ApplyPanelTheme(panelFactor);
  panel_->setWindowIcon(QIcon(ArtworkPixmap(128, QSize(128, 128))));
  focusWatcher_->SetHandler([this](QWidget* widget) {
    if (const ControlBase* control = ControlOf(widget)) ControlFocused(control->Window(), control->Id());
  });
  panel_->SetCloseRequestHandler([this] { return OnPanelClose(); });
}

QtDialogBackend::~QtDialogBackend() {
  BeginShutdown();
  std::vector<WindowHandle> handles;
  for (const auto& [handle, w] : windows_) {
    if (w->parent == 0) handles.push_back(handle);
  }
  for (WindowHandle handle : handles) DestroyDialogWindow(handle);
  for (auto& [key, timer] : timers_) delete timer;
  timers_.clear();
  DeleteDestroyedWidgets();
  if (waitCursor_) SetWaitCursor(false);
  delete panel_;
}

double QtDialogBackend::PanelFactor() const { return panel_->Factor(); }

QtDialogBackend::Window* QtDialogBackend::Find(WindowHandle window) {
  auto it = windows_.find(window);
  return it != windows_.end() ? it->second.get() : nullptr;
}

const QtDialogBackend::Window* QtDialogBackend::Find(WindowHandle window) const {
  auto it = windows_.find(window);
  return it != windows_.end() ? it->second.get() : nullptr;
}

ImageHandle QtDialogBackend::NewImage(int resourceId) {
  const ImageHandle handle = nextImage_++;
  images_[handle] = resourceId;
  return handle;
}

int QtDialogBackend::ResourceOfImage(ImageHandle image) const {
  auto it = images_.find(image);
  return it != images_.end() ? it->second : 0;
}

std::vector<WindowHandle> QtDialogBackend::Windows() const {
  std::vector<WindowHandle> out;
  for (const auto& [handle, w] : windows_) out.push_back(handle);
  return out;
}

WindowHandle QtDialogBackend::WindowOfTemplate(int templateId) const {
  for (const auto& [handle, w] : windows_) {
    if (w->dialogTemplate->id == templateId) return handle;
  }
  return 0;
}

const DialogTemplate* QtDialogBackend::TemplateOf(WindowHandle window) const {
  const Window* w = Find(window);
  return w != nullptr ? w->dialogTemplate : nullptr;
}

QWidget* QtDialogBackend::WindowWidget(WindowHandle window) const {
  const Window* w = Find(window);
  return w != nullptr ? w->Outer() : nullptr;
}

QWidget* QtDialogBackend::ClientWidget(WindowHandle window) const {
  const Window* w = Find(window);
  return w != nullptr ? w->client : nullptr;
}

void QtDialogBackend::DeleteDestroyedWidgets() {
  std::vector<QPointer<QWidget>> destroyed;
  destroyed.swap(destroyed_);
  for (const QPointer<QWidget>& widget : destroyed) delete widget.data();
  std::erase_if(changed_, [](const QPointer<QWidget>& widget) { return widget.isNull(); });
}

// ---- Building ----

QWidget* QtDialogBackend::BuildControl(Window& window, const DialogItem& item) {
  const ControlBinding binding{this, window.handle, &item, window.scale->FontPixels()};
  QWidget* parent = window.client;
  QWidget* widget = nullptr;
  switch (item.kind) {
    case ControlKind::PushButton:
      widget = new PushButtonWidget(binding, parent);
      break;
    case ControlKind::CheckBox:
      widget = new CheckBoxWidget(binding, parent);
      break;
    case ControlKind::GroupBox:
      widget = new GroupBoxWidget(binding, parent);
      break;
    case ControlKind::Text:
    case ControlKind::CentredText:
      widget = new TextWidget(binding, parent);
      break;
    case ControlKind::Picture:
      widget = new PictureWidget(binding, window.scale->PictureFactor(), window.scale->PictureFactorAcross(), parent);
      break;
    case ControlKind::Edit:
      widget = new EditWidget(binding, parent);
      break;
    case ControlKind::ComboBox: {
      auto* combo = new ComboWidget(binding, parent);
      for (const std::string& entry : item.comboItems) combo->addItem(QString::fromStdString(entry));
      combo->setCurrentIndex(-1);  // no selection until the dialog makes one
      widget = combo;
      break;
    }
    case ControlKind::TabControl:
      widget = new TabControlWidget(binding, PanelFactor(), parent);
      break;
    case ControlKind::TreeView:
      widget = new TreeWidget(binding, window.scale->PictureFactor(), parent);
      break;
    case ControlKind::Trackbar:
      widget = new TrackbarWidget(binding, parent);
      break;
    case ControlKind::Progress:
      widget = new ProgressWidget(binding, parent);
      break;
  }
  widget->setProperty(kControlIdProperty, item.id);
  QRect rect = window.scale->ItemRect(item);
  if (item.kind == ControlKind::ComboBox) rect.setHeight(std::min(rect.height(), window.scale->Y(kComboFieldHeight)));
  if (item.kind == ControlKind::Text || item.kind == ControlKind::CentredText) {
    rect.setTop(TextLineTop(*window.dialogTemplate, item, *window.scale));
  }
  widget->setGeometry(rect);
  const QString text = QString::fromStdString(item.text);
  if (auto* label = dynamic_cast<TextWidget*>(widget)) {
    // A one-line text too long for its rectangle runs on to the right first.
    if (item.kind == ControlKind::Text) {
      label->SetRoomRight(RoomRight(*window.dialogTemplate, item, *window.scale) - rect.left());
    }
    // A text that needs more lines than its rectangle holds runs on into the
    // empty room below it, if there is any, rather than shrink.
    const QFont font = PanelFont(window.scale->FontPixels());
    if (!TextFits(font, text, rect.size(), label->TextFlags())) {
      const int room = RoomBelow(*window.dialogTemplate, item, *window.scale) - rect.top();
      const int needed = QFontMetrics(font).boundingRect(QRect(0, 0, rect.width(), 100000), label->TextFlags(), text).height();
      widget->resize(rect.width(), std::max(rect.height(), std::min(needed, room)));
    }
  }
  ControlOf(widget)->SetText(text);
  widget->setEnabled(!item.Disabled());
  widget->setVisible(item.Visible());
  widget->installEventFilter(focusWatcher_);
  return widget;
}

WindowHandle QtDialogBackend::CreateDialogWindow(const DialogTemplate& dialogTemplate, WindowHandle parent,
                                                 DialogWindowSink& sink) {
  Window* parentWindow = nullptr;
  if (parent != 0) {
    parentWindow = Find(parent);
    if (parentWindow == nullptr) return 0;
  }
  auto w = std::make_unique<Window>();
  w->handle = nextWindow_++;
  w->dialogTemplate = &dialogTemplate;
  w->parent = parent;
  w->sink = &sink;
  w->caption = dialogTemplate.caption;
  w->scale = std::make_unique<DialogScale>(dialogTemplate, PanelFactor());
  const QSize clientSize = w->scale->ClientSize();
  const WindowHandle handle = w->handle;

  if (dialogTemplate.IsChild()) {
    w->client = new QWidget(parentWindow != nullptr ? parentWindow->client : panel_);
    w->client->setAutoFillBackground(true);
    w->client->setGeometry(QRect(QPoint(0, 0), clientSize));
  } else {
    const FrameWindow::Buttons buttons{(dialogTemplate.exStyle & kCaptionOkButton) != 0,
                                       (dialogTemplate.style & WS_SYSMENU) != 0};
    w->frame = new FrameWindow(panel_, PanelFactor(), buttons);
    w->frame->ResizeFrame(w->frame->FrameSize(clientSize));
    w->frame->SetCaption(QString::fromStdString(dialogTemplate.caption));
    w->frame->SetOkHandler([this, handle] { ControlCommand(handle, IDOK, BN_CLICKED); });
    w->frame->SetCloseHandler([this, handle] {
      if (shuttingDown_) return;
      WindowMessage m;
      m.message = WM_CLOSE;
      if (!InputAllowed(m)) return;
      Send(handle, m);
    });
    w->client = w->frame->Client();
  }
  w->client->setObjectName(QStringLiteral("dialog%1").arg(dialogTemplate.id));
  for (const DialogItem& item : dialogTemplate.items) {
    Control control;
    control.item = &item;
    control.widget = BuildControl(*w, item);
    if (item.kind == ControlKind::Picture && item.bitmapId != 0) {
      control.image = NewImage(item.bitmapId);
      static_cast<PictureWidget*>(control.widget)->SetArtwork(item.bitmapId);
    }
    w->controls.push_back(control);
  }
  // Template order is stacking order: the first item lies on top.
  for (auto it = w->controls.rbegin(); it != w->controls.rend(); ++it) it->widget->raise();
  // A child window joins its siblings at the bottom, like a template item.
  if (dialogTemplate.IsChild()) w->client->lower();
  w->Outer()->setVisible(false);
  windows_.emplace(handle, std::move(w));
  return handle;
}

void QtDialogBackend::DestroyDialogWindow(WindowHandle window) {
  const QuietFocus quiet(*this);
  Window* w = Find(window);
  if (w == nullptr) return;
  std::vector<WindowHandle> children;
  for (const auto& [handle, other] : windows_) {
    if (other->parent == window) children.push_back(handle);
  }
  for (WindowHandle child : children) DestroyDialogWindow(child);
  w = Find(window);
  if (w == nullptr) return;
  for (auto it = timers_.begin(); it != timers_.end();) {
    if (it->first.first == window) {
      it->second->stop();
      it->second->deleteLater();
      it = timers_.erase(it);
    } else {
      ++it;
    }
  }
  if (focusWindow_ == window) {
    focusWindow_ = 0;
    focusControl_ = 0;
  }
  if (w->modalLoop != nullptr) w->modalLoop->quit();
  QWidget* outer = w->Outer();
  outer->hide();
  // Widgets may be in the middle of reporting to the dialog that destroys
  // them: they go when the event loop next turns (or DeleteDestroyedWidgets).
  outer->deleteLater();
  destroyed_.emplace_back(outer);
  windows_.erase(window);
}

// ---- Showing and placing ----

void QtDialogBackend::ShowWindow(WindowHandle window, int showCommand) {
  const QuietFocus quiet(*this);
  Window* w = Find(window);
  if (w == nullptr) return;
  const bool show = showCommand != SW_HIDE;
  w->visible = show;
  w->Outer()->setVisible(show);
  if (show && w->frame != nullptr) w->frame->raise();  // showing activates a top-level window
}

bool QtDialogBackend::IsWindowVisible(WindowHandle window) {
  const Window* w = Find(window);
  return w != nullptr && w->visible;
}

void QtDialogBackend::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                                   std::uint32_t flags) {
  const QuietFocus quiet(*this);
  Window* w = Find(window);
  if (w == nullptr) return;
  QWidget* outer = w->Outer();
  if ((flags & SWP_NOMOVE) == 0) outer->move(x, y);
  if ((flags & SWP_NOSIZE) == 0) {
    const QSize size(std::max(0, cx), std::max(0, cy));
    if (w->frame != nullptr) {
      w->frame->ResizeFrame(size);
    } else {
      outer->resize(size);
    }
  }
  if ((flags & SWP_NOZORDER) == 0) {
    const Window* after = insertAfter != HWND_TOP ? Find(insertAfter) : nullptr;
    if (after != nullptr && after->Outer()->parentWidget() == outer->parentWidget()) {
      outer->stackUnder(after->Outer());
    } else {
      outer->raise();
    }
  }
  if ((flags & SWP_SHOWWINDOW) != 0) {
    w->visible = true;
    outer->setVisible(true);
  }
  if ((flags & SWP_HIDEWINDOW) != 0) {
    w->visible = false;
    outer->setVisible(false);
  }
}

Rect QtDialogBackend::GetWindowRect(WindowHandle window) {
  const Window* w = Find(window);
  return w != nullptr ? ToRect(w->Outer()->geometry()) : Rect{};
}

Rect QtDialogBackend::GetClientRect(WindowHandle window) {
  const Window* w = Find(window);
  return w != nullptr ? Rect{0, 0, w->client->width(), w->client->height()} : Rect{};
}

void QtDialogBackend::CenterWindow(WindowHandle window) {
  Window* w = Find(window);
  if (w == nullptr) return;
  QWidget* outer = w->Outer();
  const QWidget* area = outer->parentWidget() != nullptr ? outer->parentWidget() : panel_;
  outer->move(std::max(0, (area->width() - outer->width()) / 2), std::max(0, (area->height() - outer->height()) / 2));
}

void QtDialogBackend::SetWindowText(WindowHandle window, std::string_view text) {
  Window* w = Find(window);
  if (w == nullptr) return;
  w->caption = std::string(text);
  if (w->frame != nullptr) w->frame->SetCaption(QString::fromStdString(w->caption));
}

std::string QtDialogBackend::GetWindowText(WindowHandle window) {
  const Window* w = Find(window);
  return w != nullptr ? w->caption : std::string();
}

ImageHandle QtDialogBackend::LoadIconResource(int resourceId) { return NewImage(resourceId); }

void QtDialogBackend::SetWindowIcon(WindowHandle window, ImageHandle icon, int iconSize) {
  Window* w = Find(window);
  if (w == nullptr) return;
  (iconSize == ICON_BIG ? w->bigIcon : w->smallIcon) = icon;
  if (w->frame == nullptr) return;
  // The caption shows the small icon, or the large one when there is no small one.
  const int resource = ResourceOfImage(w->smallIcon != 0 ? w->smallIcon : w->bigIcon);
  const int side = w->frame->CaptionHeight() - 6;
  w->frame->SetIcon(ArtworkPixmap(resource, QSize(side, side), panel_->devicePixelRatioF()));
}

void QtDialogBackend::InvalidateWindow(WindowHandle window, bool) {
  if (Window* w = Find(window)) w->Outer()->update();
}

void QtDialogBackend::UpdateWindow(WindowHandle window) {
  Window* w = Find(window);
  if (w == nullptr || !w->Outer()->isVisible()) return;
  w->Outer()->repaint();
}

}  // namespace talvon::qt
