// The panel's look holds whatever desktop it is shown on.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QMenu>

#include "platform/templates/ids_134.h"
#include "qt/panel_theme.h"
#include "qt/qt_dialog_backend.h"
#include "qt_test_support.h"

namespace talvon::qt {
namespace {

using namespace test;

// A desktop's platform theme may give menus and item views palettes of
// their own; a dark one drew the combo lists black. The panel's lists keep
// the panel's colours: a light background with its dark text on it.
TEST(QtPanelTheme, AComboListOpensInThePanelsColoursUnderADarkDesktopTheme) {
  const QPalette desktop = QApplication::palette();
  ApplyPanelTheme(1.0);  // the application's palette is the panel's already
  QPalette dark(Qt::black);
  dark.setColor(QPalette::Base, Qt::black);
  dark.setColor(QPalette::Window, Qt::black);
  dark.setColor(QPalette::Text, QColor(0x20, 0x20, 0x20));
  for (const char* widgetClass : {"QMenu", "QAbstractItemView", "QComboBoxPrivateContainer"}) {
    QApplication::setPalette(dark, widgetClass);
  }

  QtDialogBackend backend;  // applies the panel's theme
  ShowPanel(backend);
  RecordingSink sink;
  RecordingSink host;
  const WindowHandle page = OpenShown(backend, 134, sink, host);
  auto* combo = static_cast<QComboBox*>(backend.ControlWidget(page, ids134::kFreqCombo));
  combo->showPopup();
  QCoreApplication::processEvents();
  QWidget* list = combo->view()->window();
  ASSERT_TRUE(list->isVisible());
  const QImage picture = list->grab().toImage();
  int light = 0;
  int dark_text = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QColor c = picture.pixelColor(x, y);
      if (c.lightness() > 200) ++light;
      if (qAbs(c.red() - colours::kText.red()) < 40 && qAbs(c.blue() - colours::kText.blue()) < 40 &&
          c.lightness() < 90) {
        ++dark_text;
      }
    }
  }
  const int pixels = picture.width() * picture.height();
  EXPECT_GT(light, pixels / 2) << "the list is drawn light";
  EXPECT_GT(dark_text, 20) << "its items are written in the panel's text colour";
  combo->hidePopup();
  QApplication::setPalette(desktop);
}

}  // namespace
}  // namespace talvon::qt
