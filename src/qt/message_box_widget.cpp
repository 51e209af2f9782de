#include "qt/message_box_widget.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "platform/message_box.h"
#include "qt/frame_window.h"
#include "qt/panel_theme.h"

namespace talvon::qt {
namespace {

constexpr std::uint32_t kButtonMask = 0x0F;
constexpr std::uint32_t kIconMask = 0xF0;
constexpr std::uint32_t kYesNoCancel = 0x03;

QString AnswerLabel(int answer) {
  switch (answer) {
    case IDYES:
      return QStringLiteral("Yes");
    case IDNO:
      return QStringLiteral("No");
    case IDCANCEL:
      return QStringLiteral("Cancel");
    default:
      return QStringLiteral("OK");
  }
}

// The client area of a box: Enter presses the focused (or first) button,
// Escape gives the style's Escape answer.
class MessageBoxContent final : public QWidget {
 public:
  MessageBoxContent(std::uint32_t style, std::function<void(int)> answered, QWidget* parent)
      : QWidget(parent), style_(style), answered_(std::move(answered)) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) {
      if (const std::optional<int> answer = EscapeAnswer(style_)) answered_(*answer);
      return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      auto* focused = qobject_cast<QPushButton*>(focusWidget());
      if (focused == nullptr) focused = findChild<QPushButton*>();
      if (focused != nullptr) focused->click();
      return;
    }
    QWidget::keyPressEvent(event);
  }

 private:
  std::uint32_t style_;
  std::function<void(int)> answered_;
};

}  // namespace

std::vector<int> MessageBoxAnswers(std::uint32_t style) {
  switch (style & kButtonMask) {
    case MB_OKCANCEL:
      return {IDOK, IDCANCEL};
    case kYesNoCancel:
      return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
      return {IDYES, IDNO};
    default:
      return {IDOK};
  }
}

int HarmlessAnswer(std::uint32_t style) {
  switch (style & kButtonMask) {
    case MB_OKCANCEL:
    case kYesNoCancel:
      return IDCANCEL;
    case MB_YESNO:
      return IDNO;
    default:
      return IDOK;
  }
}

std::optional<int> EscapeAnswer(std::uint32_t style) {
  if ((style & kButtonMask) == MB_YESNO) return std::nullopt;
  return HarmlessAnswer(style);
}

QString AnswerButtonName(int answer) {
  switch (answer) {
    case IDYES:
      return QStringLiteral("yes");
    case IDNO:
      return QStringLiteral("no");
    case IDCANCEL:
      return QStringLiteral("cancel");
    default:
      return QStringLiteral("ok");
  }
}

MessageIconWidget::MessageIconWidget(std::uint32_t iconStyle, int side, QWidget* parent)
    : QWidget(parent), iconStyle_(iconStyle & kIconMask) {
  setFixedSize(side, side);
  setObjectName(QStringLiteral("icon"));
}

void MessageIconWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
  QFont font = PanelFont(static_cast<int>(box.height() * 0.62));
  font.setBold(true);
  painter.setFont(font);
  if (iconStyle_ == MB_ICONEXCLAMATION) {
    QPainterPath triangle;
    triangle.moveTo(box.center().x(), box.top());
    triangle.lineTo(box.right(), box.bottom());
    triangle.lineTo(box.left(), box.bottom());
    triangle.closeSubpath();
    painter.setPen(QPen(QColor(0x8a, 0x5a, 0x00), 1));
    painter.setBrush(QColor(0xf2, 0xc1, 0x4e));
    painter.drawPath(triangle);
    painter.setPen(colours::kText);
    painter.drawText(box.adjusted(0, box.height() * 0.22, 0, 0), Qt::AlignCenter, QStringLiteral("!"));
    return;
  }
  QColor ground = colours::kAccent;
  QString mark = QStringLiteral("i");
  if (iconStyle_ == MB_ICONSTOP) {
    ground = QColor(0xc9, 0x30, 0x2c);
    mark = QStringLiteral("\u00D7");
  } else if (iconStyle_ == MB_ICONQUESTION) {
    mark = QStringLiteral("?");
  }
  painter.setPen(QPen(ground.darker(130), 1));
  painter.setBrush(ground);
  painter.drawEllipse(box);
  painter.setPen(Qt::white);
  painter.drawText(box, Qt::AlignCenter, mark);
}

FrameWindow* BuildMessageBox(QWidget* panel, double panelFactor, const QString& text, const QString& caption,
                             std::uint32_t style, std::function<void(int answer)> answered) {
  const auto px = [panelFactor](int pixels) { return static_cast<int>(std::lround(pixels * panelFactor)); };
  auto* frame = new FrameWindow(panel, panelFactor, FrameWindow::Buttons{});
  frame->setObjectName(QStringLiteral("messageBox"));
  frame->setProperty("caption", caption);
  frame->setProperty("text", text);
  frame->setProperty("style", static_cast<uint>(style));
  frame->SetCaption(caption);

  auto* content = new MessageBoxContent(style, answered, frame->Client());
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(px(14), px(14), px(14), px(12));
  layout->setSpacing(px(14));
  auto* message = new QHBoxLayout;
  message->setSpacing(px(12));
  if ((style & kIconMask) != 0) {
    message->addWidget(new MessageIconWidget(style, px(32), content), 0, Qt::AlignTop);
  }
  auto* label = new QLabel(text, content);
  label->setObjectName(QStringLiteral("text"));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setFont(PanelFont(px(12)));
  // Short texts keep their lines; long ones wrap within most of the panel.
  const QFontMetrics metrics(label->font());
  int widest = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, metrics.horizontalAdvance(line));
  label->setMinimumWidth(std::min(widest + 2, px(430)));
  label->setMaximumWidth(px(460));
  message->addWidget(label, 1, Qt::AlignVCenter);
  layout->addLayout(message);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(px(10));
  buttons->addStretch(1);
  QPushButton* first = nullptr;
  for (int answer : MessageBoxAnswers(style)) {
    auto* button = new QPushButton(AnswerLabel(answer), content);
    button->setObjectName(AnswerButtonName(answer));
    button->setFont(PanelFont(px(12)));
    button->setMinimumSize(px(76), px(28));  // a finger's width
    button->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(button, &QPushButton::clicked, content, [answered, answer] { answered(answer); });
    buttons->addWidget(button);
    if (first == nullptr) first = button;
  }
  buttons->addStretch(1);
  layout->addLayout(buttons);

  content->adjustSize();
  const QSize clientSize = content->sizeHint().expandedTo(QSize(px(200), 0));
  content->resize(clientSize);
  frame->ResizeFrame(frame->FrameSize(clientSize).boundedTo(panel->size()));
  frame->move((panel->width() - frame->width()) / 2, (panel->height() - frame->height()) / 2);
  frame->hide();
  if (first != nullptr) first->setFocus(Qt::OtherFocusReason);
  return frame;
}

}  // namespace talvon::qt
