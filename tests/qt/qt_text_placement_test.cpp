// Texts as the operator reads them: a caption and the value beside it on
// one line, and a reading longer than its box drawn in the dialog's font.
#include <gtest/gtest.h>

#include "platform/templates/ids_132.h"
#include "platform/templates/ids_134.h"
#include "qt/control_widgets.h"
#include "qt/dialog_scale.h"
#include "qt/qt_dialog_backend.h"
#include "qt/text_fit.h"
#include "qt_test_support.h"

namespace talvon::qt {
namespace {

using namespace test;

QWidget* TextWithCaption(QtDialogBackend& backend, WindowHandle window, const QString& caption) {
  for (QWidget* child : backend.ClientWidget(window)->findChildren<QWidget*>()) {
    if (auto* text = dynamic_cast<TextWidget*>(child); text != nullptr && text->Text() == caption) return text;
  }
  return nullptr;
}

TEST(QtTextPlacement, EveryValueOfTheInformationPageSitsOnItsCaptionsLine) {
  for (double factor : {1.0, 1.25, 1.6}) {
    SCOPED_TRACE(factor);
    QtDialogBackend backend(factor);
    RecordingSink sink;
    const WindowHandle page = backend.CreateDialogWindow(*FindDialogTemplate(132), 0, sink);
    std::vector<std::pair<QString, int>> rows;
    for (int n = 1; n <= 7; ++n) rows.emplace_back(QStringLiteral("Slot %1 :").arg(n), 1005 + n);
    rows.insert(rows.end(), {{QStringLiteral("Serial Number :"), ids132::kSerialNumberField},
                             {QStringLiteral("Mac Address :"), ids132::kMacAddressField},
                             {QStringLiteral("Flash Memory Size :"), ids132::kFlashSizeField},
                             {QStringLiteral("OS Version :"), ids132::kOsVersionField},
                             {QStringLiteral("Talvon SDK Version :"), ids132::kSdkVersionField}});
    for (const auto& [caption, valueId] : rows) {
      SCOPED_TRACE(caption.toStdString());
      backend.SetControlText(page, valueId, "R-8017");
      QWidget* label = TextWithCaption(backend, page, caption);
      ASSERT_NE(label, nullptr);
      const auto* value = static_cast<TextWidget*>(backend.ControlWidget(page, valueId));
      EXPECT_EQ(value->y(), label->y());
      EXPECT_EQ(value->TextFont().pixelSize(), static_cast<TextWidget*>(label)->TextFont().pixelSize());
    }
  }
}

// The memory readings under "In Use" and "Allocated" run on to the right
// of their narrow boxes, inside their group, rather than shrink.
TEST(QtTextPlacement, AMemoryReadingLongerThanItsBoxKeepsThePagesFont) {
  for (double factor : {1.0, 1.25, 1.75, 2.0}) {
    SCOPED_TRACE(factor);
    QtDialogBackend backend(factor);
    RecordingSink sink;
    const DialogTemplate& t = *FindDialogTemplate(134);
    const WindowHandle page = backend.CreateDialogWindow(t, 0, sink);
    const DialogScale scale(t, factor);
    for (int id :
         {ids134::kStorageAllocated, ids134::kStorageInUse, ids134::kProgramAllocated, ids134::kProgramInUse}) {
      SCOPED_TRACE(id);
      backend.SetControlText(page, id, "65536KB");
      auto* reading = static_cast<TextWidget*>(backend.ControlWidget(page, id));
      EXPECT_EQ(reading->TextFont().pixelSize(), scale.FontPixels());
      EXPECT_TRUE(TextFits(reading->TextFont(), reading->Text(), reading->size(), reading->TextFlags()));
      EXPECT_LE(reading->geometry().right(), RoomRight(t, *t.FindItem(id), scale));
      // A short reading gives the room back.
      backend.SetControlText(page, id, "1KB");
      EXPECT_EQ(reading->width(), scale.ItemRect(*t.FindItem(id)).width());
    }
  }
}

}  // namespace
}  // namespace talvon::qt
