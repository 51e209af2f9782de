// Every template builds on the Qt backend with every item in place, in the
// template's stacking order, with its text fitting its rectangle.
#include <gtest/gtest.h>

#include <QCheckBox>

#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "qt/control_widgets.h"
#include "qt/dialog_scale.h"
#include "qt/frame_window.h"
#include "qt/panel_widget.h"
#include "qt/qt_dialog_backend.h"
#include "qt/text_fit.h"
#include "qt_test_support.h"

namespace talvon::qt {
namespace {

using namespace test;

TEST(QtTemplates, EveryTemplateBuildsWithEveryItemAsTheTemplateSays) {
  QtDialogBackend backend;
  for (int id : AllDialogTemplateIds()) {
    SCOPED_TRACE(id);
    const DialogTemplate& t = *FindDialogTemplate(id);
    RecordingSink sink;
    const WindowHandle window = backend.CreateDialogWindow(t, 0, sink);
    ASSERT_NE(window, 0u);
    EXPECT_FALSE(backend.IsWindowVisible(window));  // shown by the dialog layer after initialisation
    const DialogScale scale(t, 1.0);
    QWidget* client = backend.ClientWidget(window);
    EXPECT_EQ(client->size(), scale.ClientSize());

    int controls = 0;
    for (QObject* child : client->children()) {
      if (ControlOf(qobject_cast<QWidget*>(child)) != nullptr) ++controls;
    }
    EXPECT_EQ(controls, static_cast<int>(t.items.size()));

    for (const DialogItem& item : t.items) {
      if (item.id == IDC_STATIC) continue;
      SCOPED_TRACE(item.id);
      ASSERT_TRUE(backend.HasControl(window, item.id));
      QWidget* widget = backend.ControlWidget(window, item.id);
      ASSERT_NE(widget, nullptr);
      if (t.FindItem(item.id) != &item) continue;  // the first item of a number answers for it
      EXPECT_EQ(widget->property(kControlIdProperty).toInt(), item.id);
      EXPECT_EQ(backend.IsControlVisible(window, item.id), item.Visible());
      EXPECT_EQ(backend.IsControlEnabled(window, item.id), !item.Disabled());
      QRect expected = scale.ItemRect(item);
      expected.setTop(TextLineTop(t, item, scale));  // a value on its caption's line
      EXPECT_EQ(widget->pos(), expected.topLeft());
      EXPECT_EQ(widget->width(), expected.width());
      switch (item.kind) {
        case ControlKind::Picture:
          EXPECT_EQ(backend.ResourceOfImage(backend.GetControlImage(window, item.id)), item.bitmapId);
          EXPECT_EQ(static_cast<PictureWidget*>(widget)->Artwork(), item.bitmapId);
          break;
        case ControlKind::ComboBox:
          EXPECT_EQ(backend.ComboGetCount(window, item.id), static_cast<int>(item.comboItems.size()));
          EXPECT_EQ(backend.ComboGetCurSel(window, item.id), CB_ERR);  // nothing chosen yet
          EXPECT_LE(widget->height(), expected.height());  // the field; the list drops below it
          break;
        case ControlKind::Edit:
          EXPECT_EQ(backend.GetPasswordChar(window, item.id), (item.style & ES_PASSWORD) != 0 ? u'*' : 0);
          EXPECT_EQ(static_cast<EditWidget*>(widget)->isReadOnly(), (item.style & ES_READONLY) != 0);
          break;
        default:
          EXPECT_EQ(widget->height(), expected.height());
          EXPECT_EQ(backend.GetControlText(window, item.id), item.text);
          break;
      }
    }
    backend.DestroyDialogWindow(window);
    EXPECT_EQ(backend.ClientWidget(window), nullptr);
  }
}

// Later siblings are drawn above earlier ones in Qt; the template's first
// item must come out on top.
TEST(QtTemplates, TemplateOrderIsStackingOrder) {
  QtDialogBackend backend;
  RecordingSink sink;
  const WindowHandle home = backend.CreateDialogWindow(*FindDialogTemplate(102), 0, sink);
  QWidget* client = backend.ClientWidget(home);
  const QObjectList& stack = client->children();  // bottom first
  const auto at = [&](int controlId) { return stack.indexOf(backend.ControlWidget(home, controlId)); };
  QWidget* disc = nullptr;
  for (QObject* child : stack) {
    if (auto* picture = dynamic_cast<PictureWidget*>(child); picture != nullptr && picture->Artwork() == 188) {
      disc = picture;
    }
  }
  ASSERT_NE(disc, nullptr);
  EXPECT_GT(at(ids102::kLowerPicture), at(ids102::kUpperPicture));
  EXPECT_GT(at(ids102::kUpperPicture), stack.indexOf(disc));

  // A tap on a ball lands on the ball, not on the disc beneath it.
  ShowPanel(backend);
  backend.ShowWindow(home, SW_SHOW);
  const std::optional<QPoint> onBall = TapPoint(backend.Panel(), backend.ControlWidget(home, ids102::kLowerPicture));
  ASSERT_TRUE(onBall.has_value());
  EXPECT_EQ(backend.Panel()->childAt(*onBall), backend.ControlWidget(home, ids102::kLowerPicture));
  backend.DestroyDialogWindow(home);
}

// No text of any screen may be cut off: each fits its control at the size it
// is drawn in, and no more than a little smaller than the dialog's own.
TEST(QtTemplates, EveryTextFitsItsControl) {
  QtDialogBackend backend;
  for (int id : AllDialogTemplateIds()) {
    const DialogTemplate& t = *FindDialogTemplate(id);
    RecordingSink sink;
    const WindowHandle window = backend.CreateDialogWindow(t, 0, sink);
    const DialogScale scale(t, 1.0);
    for (QObject* child : backend.ClientWidget(window)->children()) {
      auto* widget = qobject_cast<QWidget*>(child);
      ControlBase* control = ControlOf(widget);
      if (control == nullptr || !control->Item().Visible() || control->Text().isEmpty()) continue;
      SCOPED_TRACE(::testing::Message() << id << " \"" << control->Text().toStdString() << "\"");
      if (auto* text = dynamic_cast<TextWidget*>(widget)) {
        EXPECT_TRUE(TextFits(text->TextFont(), text->Text(), text->size(), text->TextFlags()));
        EXPECT_GE(text->TextFont().pixelSize(), scale.FontPixels() - 2);
      } else if (auto* button = dynamic_cast<PushButtonWidget*>(widget)) {
        const int flags = Qt::AlignCenter | ((control->Item().style & BS_MULTILINE) != 0 ? Qt::TextWordWrap : 0);
        EXPECT_TRUE(TextFits(button->TextFont(), button->text(), button->rect().adjusted(2, 1, -2, -1).size(), flags));
        EXPECT_GE(button->TextFont().pixelSize(), scale.FontPixels() - 1);
      } else if (auto* box = dynamic_cast<QCheckBox*>(widget)) {
        EXPECT_TRUE(TextFits(box->font(), box->text(), box->size() - QSize(20, 0), Qt::AlignVCenter));
      } else if (dynamic_cast<GroupBoxWidget*>(widget) != nullptr) {
        EXPECT_LT(QFontMetrics(widget->font()).horizontalAdvance(control->Text()) + 20, widget->width());
      }
    }
    backend.DestroyDialogWindow(window);
  }
}

// Controls may only overlap where their template rectangles do (group boxes
// frame what lies in them).
TEST(QtTemplates, NothingOverlapsThatTheTemplateKeepsApart) {
  QtDialogBackend backend;
  for (int id : AllDialogTemplateIds()) {
    const DialogTemplate& t = *FindDialogTemplate(id);
    RecordingSink sink;
    const WindowHandle window = backend.CreateDialogWindow(t, 0, sink);
    const DialogScale scale(t, 1.0);
    std::vector<std::pair<const DialogItem*, QWidget*>> shown;
    for (QObject* child : backend.ClientWidget(window)->children()) {
      auto* widget = qobject_cast<QWidget*>(child);
      ControlBase* control = ControlOf(widget);
      if (control != nullptr && control->Item().Visible() && control->Item().kind != ControlKind::GroupBox) {
        shown.emplace_back(&control->Item(), widget);
      }
    }
    for (std::size_t a = 0; a < shown.size(); ++a) {
      for (std::size_t b = a + 1; b < shown.size(); ++b) {
        if (scale.ItemRect(*shown[a].first).intersects(scale.ItemRect(*shown[b].first))) continue;
        EXPECT_FALSE(shown[a].second->geometry().intersects(shown[b].second->geometry()))
            << id << ": " << shown[a].first->text << " / " << shown[b].first->text;
      }
    }
    backend.DestroyDialogWindow(window);
  }
}

TEST(QtTemplates, TheConfigurationSheetFillsA640By480Panel) {
  for (double factor : {1.0, 1.25, 2.0}) {
    SCOPED_TRACE(factor);
    QtDialogBackend backend(factor);
    RecordingSink sink;
    const WindowHandle sheet = backend.CreateDialogWindow(*FindDialogTemplate(129), 0, sink);
    const Rect frame = backend.GetWindowRect(sheet);
    EXPECT_LE(frame.Width(), backend.Panel()->width());
    EXPECT_LE(frame.Height(), backend.Panel()->height());
    EXPECT_GE(frame.Width(), backend.Panel()->width() * 95 / 100);  // and uses it
    backend.CenterWindow(sheet);
    EXPECT_GE(backend.GetWindowRect(sheet).top, 0);
    // The pages fit under the tab items with the sheet's own placement.
    Rect item;
    ASSERT_TRUE(backend.TabInsertItem(sheet, ids129::kTabControl, 0, "General Setting") == 0);
    ASSERT_TRUE(backend.TabGetItemRect(sheet, ids129::kTabControl, 0, &item));
    const Rect tab = backend.GetControlClientRect(sheet, ids129::kTabControl);
    const int pageHeight = tab.bottom - item.bottom - 2;
    for (int page : {131, 133, 134, 145, 237}) {
      const DialogTemplate& t = *FindDialogTemplate(page);
      const DialogScale scale(t, factor);
      int lowest = 0;
      for (const DialogItem& i : t.items) {
        if (i.Visible()) lowest = std::max(lowest, scale.ItemRect(i).bottom() + 1);
      }
      EXPECT_LE(lowest, pageHeight + 2) << page;
    }
    backend.DestroyDialogWindow(sheet);
  }
}

TEST(QtPanel, FactorFitsTheScreen) {
  EXPECT_DOUBLE_EQ(PanelWidget::FactorForScreen(QSize(640, 480), true), 1.0);
  EXPECT_DOUBLE_EQ(PanelWidget::FactorForScreen(QSize(1024, 768), true), 1.6);
  EXPECT_DOUBLE_EQ(PanelWidget::FactorForScreen(QSize(1920, 1080), true), 2.25);
  EXPECT_DOUBLE_EQ(PanelWidget::FactorForScreen(QSize(1904, 1032), false), 2.0);  // quarter steps in a window
  EXPECT_DOUBLE_EQ(PanelWidget::FactorForScreen(QSize(320, 240), false), 1.0);   // never smaller than the panel
}

}  // namespace
}  // namespace talvon::qt
