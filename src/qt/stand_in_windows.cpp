#include "qt/stand_in_windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScroller>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

#include "qt/frame_window.h"
#include "qt/panel_theme.h"

namespace talvon::qt {
namespace {

int Scaled(double factor, int pixels) { return static_cast<int>(std::lround(pixels * factor)); }

void MarkProgram(QWidget* window, sim::StandInProgram program) {
  window->setObjectName(QString::fromLatin1(kStandInObjectName));
  window->setProperty("program", static_cast<int>(program));
  window->setAttribute(Qt::WA_DeleteOnClose);
}

// A framed window of the given size, centred on the panel, with a Close
// button under `content`; both it and the caption's OK close the window.
FrameWindow* FramedProgram(QWidget* panel, double factor, sim::StandInProgram program, const QString& caption,
                           QSize size, QWidget* content) {
  auto* frame = new FrameWindow(panel, factor, FrameWindow::Buttons{true, false});
  MarkProgram(frame, program);
  frame->SetCaption(caption);
  frame->ResizeFrame(size.boundedTo(panel->size()));
  frame->move((panel->width() - frame->width()) / 2, (panel->height() - frame->height()) / 2);
  auto* layout = new QVBoxLayout(frame->Client());
  layout->setContentsMargins(Scaled(factor, 6), Scaled(factor, 6), Scaled(factor, 6), Scaled(factor, 6));
  content->setParent(frame->Client());
  layout->addWidget(content, 1);
  auto* close = new QPushButton(QStringLiteral("Close"), frame->Client());
  close->setObjectName(QStringLiteral("close"));
  close->setFont(PanelFont(Scaled(factor, 12)));
  close->setMinimumSize(Scaled(factor, 76), Scaled(factor, 28));  // a finger's width
  layout->addWidget(close, 0, Qt::AlignHCenter);
  QObject::connect(close, &QPushButton::clicked, frame, &QWidget::close);
  frame->SetOkHandler([frame] { frame->close(); });
  frame->show();
  frame->raise();
  return frame;
}

// Targets one after another, then the result. A tap near the target is its
// reading; one far off asks for the target again. Escape, or closing the
// screen before the last target, cancels: nothing is stored and the touch
// driver keeps the calibration it had.
class CalibrationScreen final : public QWidget {
 public:
  CalibrationScreen(QWidget* panel, double factor, sim::StandInProgram program, Registry& registry)
      : QWidget(panel), factor_(factor), program_(program), registry_(registry),
        targets_(sim::CalibrationTargets()) {
    MarkProgram(this, program);
    setGeometry(panel->rect());
    setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);  // for Escape
    focusBefore_ = QApplication::focusWidget();
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
  }

  int TargetIndex() const { return static_cast<int>(taps_.size()); }
  QPoint TargetPoint() const {
    if (Done()) return rect().center();
    return ToScreen(targets_[taps_.size()]);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(colours::kText);
    painter.setFont(PanelFont(Scaled(factor_, 14)));
    const QRect textArea = rect().adjusted(0, height() / 2 + Scaled(factor_, 40), 0, 0);
    if (!Done()) {
      QString text =
          QStringLiteral("Tap the centre of the target (%1 of %2)").arg(taps_.size() + 1).arg(targets_.size());
      if (missed_) text.prepend(QStringLiteral("That tap was too far from the target.\n"));
      text += QStringLiteral("\n\nEscape cancels; the panel keeps its calibration.");
      painter.drawText(textArea, Qt::AlignHCenter | Qt::AlignTop, text);
      DrawTarget(painter, TargetPoint());
    } else {
      painter.drawText(rect(), Qt::AlignCenter,
                       stored_ == ERROR_SUCCESS
                           ? QStringLiteral("Calibration stored.\nTap anywhere to close.")
                           : QStringLiteral("The calibration could not be stored (error %1).\nTap anywhere to close.")
                                 .arg(stored_));
    }
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (Done()) {
      close();
      return;
    }
    const QPointF at = event->position();
    const sim::PanelPoint tap{static_cast<int>(std::lround(at.x() * 640.0 / width())),
                              static_cast<int>(std::lround(at.y() * 480.0 / height()))};
    missed_ = !sim::CalibrationTapAccepted(targets_[taps_.size()], tap);
    if (!missed_) taps_.push_back(tap);
    if (Done()) stored_ = sim::StoreTouchCalibration(registry_, program_, taps_);
    update();
  }

  // The focus goes back where it was, not to whichever control Qt would
  // pick next: that would be a focus the operator never gave.
  void closeEvent(QCloseEvent* event) override {
    clearFocus();
    if (!focusBefore_.isNull() && focusBefore_->isVisible()) focusBefore_->setFocus(Qt::OtherFocusReason);
    QWidget::closeEvent(event);
  }

  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) {
      close();  // before the last target nothing has been stored
      return;
    }
    QWidget::keyPressEvent(event);
  }

 private:
  bool Done() const { return taps_.size() >= targets_.size(); }
  QPoint ToScreen(sim::PanelPoint p) const {
    return QPoint(static_cast<int>(std::lround(p.x * width() / 640.0)),
                  static_cast<int>(std::lround(p.y * height() / 480.0)));
  }
  void DrawTarget(QPainter& painter, QPoint centre) const {
    const int r = Scaled(factor_, 14);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colours::kText, std::max(1, Scaled(factor_, 2))));
    painter.drawEllipse(centre, r, r);
    painter.drawEllipse(centre, r / 3, r / 3);
    painter.drawLine(centre - QPoint(r + r / 2, 0), centre + QPoint(r + r / 2, 0));
    painter.drawLine(centre - QPoint(0, r + r / 2), centre + QPoint(0, r + r / 2));
  }

  double factor_;
  sim::StandInProgram program_;
  Registry& registry_;
  std::vector<sim::PanelPoint> targets_;
  std::vector<sim::PanelPoint> taps_;
  bool missed_ = false;
  QPointer<QWidget> focusBefore_;
  long stored_ = ERROR_SUCCESS;
};

}  // namespace

QWidget* OpenRegistryViewer(QWidget* panel, double panelFactor, const sim::RegistryStore& store) {
  auto* tree = new QTreeWidget;
  tree->setObjectName(QStringLiteral("registryTree"));
  tree->setHeaderHidden(true);
  tree->setFont(PanelFont(Scaled(panelFactor, 12)));
  tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  tree->header()->setStretchLastSection(false);
  QScroller::grabGesture(tree->viewport(), QScroller::TouchGesture);  // a finger drags the list
  auto* root = new QTreeWidgetItem(tree, QStringList(QStringLiteral("HKEY_LOCAL_MACHINE")));
  std::vector<QTreeWidgetItem*> keyAtDepth{root};
  for (const sim::RegistryViewLine& line : sim::RegistryViewLines(store)) {
    const auto depth = static_cast<std::size_t>(line.depth);
    if (depth >= keyAtDepth.size()) continue;  // cannot happen: a key's lines follow it
    auto* item = new QTreeWidgetItem(keyAtDepth[depth], QStringList(QString::fromStdString(line.text)));
    if (line.isKey) {
      keyAtDepth.resize(depth + 1);
      keyAtDepth.push_back(item);
    } else {
      item->setForeground(0, colours::kAccent.darker(140));
    }
  }
  root->setExpanded(true);
  return FramedProgram(panel, panelFactor, sim::StandInProgram::RegistryViewer, QStringLiteral("Registry Viewer"),
                       panel->size(), tree);
}

QWidget* OpenCalibrationScreen(QWidget* panel, double panelFactor, sim::StandInProgram program, Registry& registry) {
  return new CalibrationScreen(panel, panelFactor, program, registry);
}

QWidget* OpenProgramNotice(QWidget* panel, double panelFactor, sim::StandInProgram program, const QString& caption,
                           const QStringList& lines) {
  auto* text = new QLabel(lines.join(QLatin1Char('\n')));
  text->setObjectName(QStringLiteral("text"));
  text->setFont(PanelFont(Scaled(panelFactor, 12)));
  text->setWordWrap(true);
  text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  const QSize size(Scaled(panelFactor, 460), Scaled(panelFactor, 220));
  return FramedProgram(panel, panelFactor, program, caption, size, text);
}

QWidget* FrontProgramWindow(QWidget* panel) {
  const QObjectList& children = panel->children();  // bottom to top
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    auto* widget = qobject_cast<QWidget*>(*it);
    if (widget == nullptr || !widget->isVisible()) continue;
    if (widget->objectName() == QLatin1String(kStandInObjectName)) return widget;
    // A window of the utility: a dialog, a message box or the file dialog.
    // Shields, covers and the busy sign lie over the panel but are none.
    if (dynamic_cast<FrameWindow*>(widget) != nullptr) return nullptr;
  }
  return nullptr;
}

int CalibrationTargetIndex(const QWidget* screen) {
  const auto* calibration = dynamic_cast<const CalibrationScreen*>(screen);
  return calibration ? calibration->TargetIndex() : -1;
}

QPoint CalibrationTargetPoint(const QWidget* screen) {
  const auto* calibration = dynamic_cast<const CalibrationScreen*>(screen);
  return calibration ? calibration->TargetPoint() : QPoint();
}

}  // namespace talvon::qt
