// The message flow of the Qt backend: what the operator does becomes window
// messages, timers, the modal loops, the pump, the wait cursor, message
// boxes and the file dialog.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/message_box.h"
#include "qt/busy_sign.h"
#include "qt/file_dialog_widget.h"
#include "qt/frame_window.h"
#include "qt/message_box_widget.h"
#include "qt/panel_theme.h"
#include "qt/panel_widget.h"
#include "qt/qt_dialog_backend.h"
#include "qt/stand_in_windows.h"

namespace talvon::qt {

LRESULT QtDialogBackend::Send(WindowHandle window, const WindowMessage& message) {
  Window* w = Find(window);
  if (w == nullptr || w->sink == nullptr) return 0;
  DialogWindowSink* sink = w->sink;  // the windows may change while the dialog handles it
  return sink->OnWindowMessage(message);
}

// ---- What the controls report ----

void QtDialogBackend::ControlCommand(WindowHandle window, int controlId, int code) {
  if (shuttingDown_) return;
  WindowMessage m;
  m.message = WM_COMMAND;
  m.controlId = controlId;
  m.code = code;
  if (!InputAllowed(m)) return;
  Send(window, m);
}

LRESULT QtDialogBackend::ControlNotify(WindowHandle window, int controlId, int code) {
  // Paint notifications still go through while the controller goes down.
  if (shuttingDown_ && code != NM_CUSTOMDRAW) return 0;
  WindowMessage m;
  m.message = WM_NOTIFY;
  m.controlId = controlId;
  m.code = code;
  if (code != NM_CUSTOMDRAW && !InputAllowed(m)) return 0;
  return Send(window, m);
}

void QtDialogBackend::ControlScroll(WindowHandle window, int controlId, int code, int position) {
  if (shuttingDown_) return;
  WindowMessage m;
  m.message = WM_HSCROLL;
  m.controlId = controlId;
  m.code = code;
  m.position = position;
  if (!InputAllowed(m)) return;
  Send(window, m);
}

ControlColours QtDialogBackend::ControlColoursFor(WindowHandle window, int controlId, int controlType) {
  ControlColours colours;
  colours.controlType = controlType;
  WindowMessage m;
  m.message = WM_CTLCOLOR;
  m.controlId = controlId;
  m.colours = &colours;
  Send(window, m);
  return colours;
}

void QtDialogBackend::ControlFocused(WindowHandle window, int controlId) {
  if (!shuttingDown_ && quietFocus_ == 0) MoveFocus(window, controlId);
}

QtDialogBackend::QuietFocus::QuietFocus(QtDialogBackend& backend) : backend_(backend) {
  if (backend_.quietFocus_++ == 0) before_ = QApplication::focusWidget();
}

QtDialogBackend::QuietFocus::~QuietFocus() {
  if (--backend_.quietFocus_ != 0) return;
  QWidget* now = QApplication::focusWidget();
  if (now != nullptr && now != before_.data() && ControlOf(now) != nullptr) now->clearFocus();
}

void QtDialogBackend::MoveFocus(WindowHandle window, int controlId) {
  if (focusWindow_ == window && focusControl_ == controlId) return;
  const WindowHandle oldWindow = focusWindow_;
  const int oldControl = focusControl_;
  focusWindow_ = window;
  focusControl_ = controlId;
  const Control* old = FindControl(oldWindow, oldControl);
  if (old != nullptr && old->item->kind == ControlKind::Edit) ControlCommand(oldWindow, oldControl, EN_KILLFOCUS);
  const Control* now = FindControl(window, controlId);
  if (now != nullptr && now->item->kind == ControlKind::Edit) ControlCommand(window, controlId, EN_SETFOCUS);
}

// ---- Timers ----

std::uintptr_t QtDialogBackend::SetTimer(WindowHandle window, std::uintptr_t timerId, std::uint32_t periodMs) {
  if (Find(window) == nullptr) return 0;
  QTimer*& timer = timers_[{window, timerId}];
  if (timer == nullptr) {
    timer = new QTimer(panel_);
    QObject::connect(timer, &QTimer::timeout, panel_, [this, window, timerId] { DeliverTimer(window, timerId); });
  }
  // As on the controller, no timer runs faster than every 10 ms.
  timer->start(static_cast<int>(std::max<std::uint32_t>(periodMs, 10)));
  return timerId;
}

bool QtDialogBackend::KillTimer(WindowHandle window, std::uintptr_t timerId) {
  auto it = timers_.find({window, timerId});
  if (it == timers_.end()) return false;
  it->second->stop();
  it->second->deleteLater();
  timers_.erase(it);
  return true;
}

bool QtDialogBackend::FireTimer(WindowHandle window, std::uintptr_t timerId) {
  if (timers_.count({window, timerId}) == 0) return false;
  DeliverTimer(window, timerId);
  return true;
}

void QtDialogBackend::DeliverTimer(WindowHandle window, std::uintptr_t timerId) {
  if (shuttingDown_) return;
  WindowMessage m;
  m.message = WM_TIMER;
  m.timerId = timerId;
  Send(window, m);
}

// ---- Loops ----

int QtDialogBackend::RunModalLoop(WindowHandle window) {
  Window* w = Find(window);
  if (w == nullptr || shuttingDown_) return -1;
  if (!w->modalEnded) {
    QEventLoop loop;
    w->modalLoop = &loop;
    loops_.push_back(&loop);
    loop.exec();
    loops_.erase(std::find(loops_.begin(), loops_.end(), &loop));
    w = Find(window);  // the window may be gone
    if (w == nullptr) return -1;
    w->modalLoop = nullptr;
  }
  const int result = w->modalEnded ? w->modalResult : -1;
  w->modalEnded = false;
  return result;
}

void QtDialogBackend::EndModalLoop(WindowHandle window, int result) {
  Window* w = Find(window);
  if (w == nullptr) return;
  w->modalEnded = true;
  w->modalResult = result;
  if (w->modalLoop != nullptr) w->modalLoop->quit();
}

void QtDialogBackend::BeginShutdown() {
  shuttingDown_ = true;
  for (QEventLoop* loop : loops_) loop->quit();
}

void QtDialogBackend::EndShutdown() { shuttingDown_ = false; }

bool QtDialogBackend::OnPanelClose() {
  // A started program in front takes the close as its own window's, and
  // the utility goes on.
  if (QWidget* program = FrontProgramWindow(panel_)) {
    program->close();
    return false;
  }
  if (openDialogs_ > 0) return false;  // answer the question first
  WindowMessage close;
  close.message = WM_CLOSE;
  // During flash work the utility remembers the close and ends once the work is done.
  if (!InputAllowed(close)) return false;
  // Closing the panel's window closes the innermost modal window (the home
  // screen), whose dialog decides; with none running the panel may go.
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if (it->second->modalLoop != nullptr) {
      WindowMessage m;
      m.message = WM_CLOSE;
      Send(it->first, m);
      return false;
    }
  }
  return true;
}

// ---- The pump ----

bool QtDialogBackend::RepaintChangedControls() {
  std::vector<QPointer<QWidget>> changed;
  changed.swap(changed_);
  bool painted = false;
  for (const QPointer<QWidget>& widget : changed) {
    if (widget.isNull() || !widget->isVisible()) continue;
    widget->repaint();
    painted = true;
  }
  return painted;
}

bool QtDialogBackend::PumpOneMessage() {
  if (shuttingDown_) return false;
  // The work goes on: a question it asked has been answered.
  if (openDialogs_ == 0 && busyMadeWay_) {
    busyMadeWay_ = false;
    ShowBusySigns();
  }
  // What the dialog changed is painted now, then one turn of the event loop
  // lets a waiting input, timer or paint through, without waiting.
  bool dispatched = RepaintChangedControls();
  busySign_->Advance(openDialogs_ > 0);
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
    dispatched = dispatcher->processEvents(QEventLoop::AllEvents) || dispatched;
  }
  return dispatched;
}

void QtDialogBackend::ShowFlashWork(std::string_view doing) {
  if (doing.empty()) {
    delete flashWorkCover_;
    flashWorkCover_ = nullptr;
    return;
  }
  if (openDialogs_ == 0) busyMadeWay_ = false;  // new work starts
  if (flashWorkCover_ == nullptr) {
    // Over every window of the panel, beneath the questions the work asks
    // and the busy sign: taps on the windows go nowhere meanwhile.
    flashWorkCover_ = new ModalShield(panel_);
    flashWorkCover_->setObjectName(QStringLiteral("flashWorkCover"));
    auto* line = new QLabel(flashWorkCover_);
    line->setObjectName(QStringLiteral("flashWorkLine"));
    line->setAlignment(Qt::AlignCenter);
    line->setAutoFillBackground(true);
    line->setFont(PanelFont(static_cast<int>(11 * PanelFactor())));
    const int height = static_cast<int>(28 * PanelFactor());
    line->setGeometry(0, panel_->height() - height, panel_->width(), height);
    flashWorkCover_->show();
  }
  flashWorkCover_->raise();
  busySign_->raise();
  ShowBusySigns();
  auto* line = flashWorkCover_->findChild<QLabel*>(QStringLiteral("flashWorkLine"));
  line->setText(QString::fromUtf8(doing.data(), static_cast<qsizetype>(doing.size())) +
                QStringLiteral(" \u2026 please wait, do not switch off"));
  line->repaint();
}

void QtDialogBackend::SetWaitCursor(bool wait) {
  waitCursor_ = wait;
  // Setting it again (RestoreWaitCursor) brings it back after a question.
  if (openDialogs_ == 0) busyMadeWay_ = false;
  ShowBusySigns();
}

void QtDialogBackend::ShowBusySigns() {
  // A question is the operator's turn: the panel does not look busy under it.
  const bool questionsTurn = openDialogs_ > 0 || busyMadeWay_;
  const bool busy = waitCursor_ && !questionsTurn;
  if (busy != busyCursorOn_) {
    busyCursorOn_ = busy;
    // The pointer for a mouse, the spinner for a finger.
    if (busy) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
    busySign_->SetShown(busy);
  }
  if (flashWorkCover_ != nullptr) flashWorkCover_->setVisible(!questionsTurn);
}

// ---- Questions ----

namespace {

// What a question covers and where the focus goes back to, held weakly: the
// widget that had the focus may be gone (a question closed just before)
// by the time this one closes.
class ModalReturn : public QObject {
 public:
  ModalReturn(QWidget* dialog, QWidget* focusBefore, QWidget* cover)
      : QObject(dialog), focused(focusBefore), shield(cover) {}
  QPointer<QWidget> focused;
  QPointer<QWidget> shield;
};

}  // namespace

void QtDialogBackend::ShowModalDialog(QWidget* dialog) {
  QWidget* focused = QApplication::focusWidget();
  auto* shield = new ModalShield(panel_);
  shield->show();
  shield->raise();
  dialog->show();
  dialog->raise();
  if (auto* button = dialog->findChild<QPushButton*>()) button->setFocus(Qt::OtherFocusReason);
  new ModalReturn(dialog, focused, shield);
  if (modalHook_) {
    QPointer<QWidget> guard(dialog);
    QTimer::singleShot(0, dialog, [this, guard] {
      if (!guard.isNull() && modalHook_) modalHook_(guard.data());
    });
  }
}

namespace {

// Takes a question off the panel and gives the focus back.
void CloseModalDialog(QWidget* dialog) {
  QPointer<QWidget> shield;
  QPointer<QWidget> focused;
  for (QObject* child : dialog->children()) {
    if (auto* back = dynamic_cast<ModalReturn*>(child)) {
      shield = back->shield;
      focused = back->focused;
    }
  }
  dialog->hide();
  dialog->deleteLater();
  if (shield != nullptr) {
    shield->hide();
    shield->deleteLater();
  }
  if (focused != nullptr && focused->isVisible()) focused->setFocus(Qt::OtherFocusReason);
}

}  // namespace

namespace {

// What a question's buttons report to the loop that waits for them. Shared,
// so that a late report after the question is gone harms nothing.
struct Answer {
  bool done = false;
  int result = 0;
  std::string path;
  QPointer<QEventLoop> loop;

  void Give(int answer, std::string chosen = {}) {
    if (done) return;
    done = true;
    result = answer;
    path = std::move(chosen);
    if (!loop.isNull()) loop->quit();
  }
};

}  // namespace

void QtDialogBackend::RunNestedLoop(QEventLoop& loop, const bool& done) {
  loops_.push_back(&loop);
  while (!done && !shuttingDown_) loop.exec();
  loops_.erase(std::find(loops_.begin(), loops_.end(), &loop));
}

int QtDialogBackend::MessageBox(WindowHandle, std::string_view text, std::string_view caption, std::uint32_t style) {
  if (shuttingDown_) return HarmlessAnswer(style);
  auto answer = std::make_shared<Answer>();
  QEventLoop loop;
  answer->loop = &loop;
  FrameWindow* box = BuildMessageBox(panel_, PanelFactor(),
                                     QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                                     QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                                     style, [answer](int chosen) { answer->Give(chosen); });
  ++openDialogs_;
  busyMadeWay_ = true;
  ShowBusySigns();
  ShowModalDialog(box);
  RunNestedLoop(loop, answer->done);
  --openDialogs_;
  CloseModalDialog(box);
  return answer->done ? answer->result : HarmlessAnswer(style);
}

int QtDialogBackend::OpenFileDialog(WindowHandle, const FileDialogRequest& request, std::string* path) {
  if (shuttingDown_ || files_ == nullptr) return IDCANCEL;
  auto answer = std::make_shared<Answer>();
  QEventLoop loop;
  answer->loop = &loop;
  FrameWindow* dialog = BuildFileDialog(panel_, PanelFactor(), *files_, request,
                                        [answer](int result, const std::string& chosen) {
                                          answer->Give(result, chosen);
                                        });
  ++openDialogs_;
  busyMadeWay_ = true;
  ShowBusySigns();
  ShowModalDialog(dialog);
  RunNestedLoop(loop, answer->done);
  --openDialogs_;
  CloseModalDialog(dialog);
  if (!answer->done || answer->result != IDOK) return IDCANCEL;
  if (path != nullptr) *path = answer->path;
  return IDOK;
}

}  // namespace talvon::qt
