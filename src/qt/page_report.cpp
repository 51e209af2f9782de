#include "qt/page_report.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include "qt/control_widgets.h"

namespace talvon::qt {
namespace {

// Watches every widget of the application for the windows the backend
// builds from templates (object name "dialog" and the template's number).
class PageReport final : public QObject {
 public:
  PageReport(const QString& path, QObject* parent) : QObject(parent), file_(path) {}

  bool Open() { return file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
      const QRegularExpressionMatch match = kPageName.match(watched->objectName());
      if (match.hasMatch()) {
        // Placed and laid out by the time the event loop turns again.
        QPointer<QWidget> page = static_cast<QWidget*>(watched);
        const QString templateId = match.captured(1);
        QTimer::singleShot(0, this, [this, page, templateId] {
          if (page != nullptr && page->isVisible()) Write(*page, templateId);
        });
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void Write(const QWidget& page, const QString& templateId) {
    QString line = QStringLiteral("shown ") + templateId;
    for (const QWidget* control : page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      const QVariant id = control->property(kControlIdProperty);
      // Labels and frames share identifier -1: nothing addresses them.
      if (!id.isValid() || id.toInt() == -1 || !control->isVisibleTo(&page)) continue;
      const QRect r(control->mapToGlobal(QPoint(0, 0)), control->size());
      line += QStringLiteral(" %1=%2,%3,%4,%5").arg(id.toInt()).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
    file_.write(line.toUtf8() + '\n');
    file_.flush();
  }

  inline static const QRegularExpression kPageName{QStringLiteral("^dialog(\\d+)$")};
  QFile file_;
};

void InstallPageReport() {
  const QString path = qEnvironmentVariable(kPageReportVariable);
  if (path.isEmpty()) return;
  auto* report = new PageReport(path, QCoreApplication::instance());
  if (!report->Open()) {
    std::fprintf(stderr, "talvon-utility: cannot write the page report %s\n", qPrintable(path));
    delete report;
    return;
  }
  QCoreApplication::instance()->installEventFilter(report);
}

}  // namespace

void ReportPagesShownFromEnvironment() {
  qAddPreRoutine(InstallPageReport);
}

}  // namespace talvon::qt
