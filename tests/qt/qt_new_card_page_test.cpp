// The New Card Wizard in the window on the factory controller (a two-port
// RS232 module in slot 3): the operator picks the module in the tree by touch,
// presses Change To New Module, and after the restart the tree shows the
// module registered, with its port icons.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTreeWidget>

#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_237.h"
#include "qt/tab_control_widget.h"
#include "qt/tree_widget.h"
#include "qt/utility_runs.h"
#include "qt_test_support.h"
#include "runner/simulated_controller_provider.h"

namespace talvon::qt {
namespace {

using namespace test;

using namespace ids237;

class NewCardOnQt : public ::testing::Test {
 protected:
  NewCardOnQt() : provider(directory.filePath(QStringLiteral("controller")).toStdString(), clock) {
    ShowPanel(backend);
    hooks.restartPauseMs = 0;
  }
  void Touch(QWidget* widget, QPoint at) { TouchTap(backend.Panel(), widget->mapTo(backend.Panel(), at)); }
  void ShowNewCardPage() {
    QWidget* config = backend.ControlWidget(backend.WindowOfTemplate(102), ids102::kLowerPicture);
    Touch(config, config->rect().center());
    auto* tabs =
        static_cast<TabControlWidget*>(backend.ControlWidget(backend.WindowOfTemplate(129), ids129::kTabControl));
    Touch(tabs, tabs->ItemRect(4).center());
  }
  TreeWidget* Tree() {
    return static_cast<TreeWidget*>(backend.ControlWidget(backend.WindowOfTemplate(237), kResourceTree));
  }
  QTreeWidgetItem* Module(const QString& text) {
    const auto found = Tree()->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
  }

  QTemporaryDir directory;
  VirtualClock clock;
  runner::SimulatedControllerProvider provider;
  QtDialogBackend backend;
  RunHooks hooks;
};

TEST_F(NewCardOnQt, ModulePickedByTouchIsRegisteredAndShownWithItsPortsAfterTheRestart) {
  int boots = 0;
  hooks.onHomeScreen = [&](Platform&) {
    ++boots;
    ShowNewCardPage();
    QTreeWidgetItem* module = Module(QStringLiteral("Slot_3: R-8142"));
    ASSERT_NE(module, nullptr);
    EXPECT_FALSE(module->icon(0).isNull());
    if (boots == 1) {
      EXPECT_EQ(module->childCount(), 0);
      EXPECT_EQ(Tree()->topLevelItemCount(), 3);
      Touch(Tree()->viewport(), Tree()->visualItemRect(module).center());
      EXPECT_EQ(Tree()->currentItem(), module);
      QWidget* change = backend.ControlWidget(backend.WindowOfTemplate(237), kChangeToNewModule);
      Touch(change, change->rect().center());  // registers and restarts
      return;
    }
    ASSERT_EQ(module->childCount(), 2);
    EXPECT_EQ(module->child(0)->text(0), QStringLiteral("Com 5:"));
    EXPECT_FALSE(module->child(0)->icon(0).isNull());
    EXPECT_EQ(module->child(1)->child(0)->text(0), QStringLiteral("I/O Base:8000360"));
    EXPECT_FALSE(module->child(1)->child(0)->icon(0).isNull());
    backend.Panel()->close();
  };
  EXPECT_EQ(RunUtility(provider, backend, hooks), RunsEnd::Closed);
  EXPECT_EQ(boots, 2);
}

}  // namespace
}  // namespace talvon::qt
