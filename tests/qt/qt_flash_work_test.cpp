// The window while the OS image is written: the panel keeps repainting and
// says what it does, taps on the sheet reach nothing, and closing the window
// ends the utility once the image is written, without a restart.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "flash/bin_image_builder.h"
#include "flash/os_image_version.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_133.h"
#include "qt/tab_control_widget.h"
#include "qt/utility_runs.h"
#include "qt_test_support.h"
#include "runner/simulated_controller_provider.h"
#include "sim/controller/simulated_controller.h"

namespace talvon::qt {
namespace {

using namespace test;

TEST(QtFlashWork, CloseDuringAnOsWriteEndsTheUtilityAfterTheWriteWithoutARestart) {
  QTemporaryDir directory;
  VirtualClock clock;
  const std::string controllerDir = directory.filePath(QStringLiteral("controller")).toStdString();
  runner::SimulatedControllerProvider provider(controllerDir, clock);
  QtDialogBackend backend;
  ShowPanel(backend);
  RunHooks hooks;
  hooks.restartPauseMs = 0;
  std::string error;
  ASSERT_NE(provider.Boot(&error), nullptr) << error;
  const std::vector<std::uint8_t> image = BuildBinImage({.version = "TalvonOS 13", .size = 0x40000, .recordSize = 0x8000});
  const QString card = directory.filePath(QStringLiteral("controller/fs/CompactFlash"));
  QDir().mkpath(card);
  QFile file(card + QStringLiteral("/nk.bin"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
  file.close();

  backend.SetModalHook([&](QWidget* dialog) {
    if (dialog->objectName() == QStringLiteral("fileDialog")) {
      dialog->findChild<QLineEdit*>(QStringLiteral("name"))->setText(QStringLiteral("\\CompactFlash\\nk.bin"));
      dialog->findChild<QPushButton*>(QStringLiteral("ok"))->click();
    } else if (auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("ok"))) {
      ok->click();
    }
  });
  struct PaintSpy final : QObject {
    std::function<void()> onPaint;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint && onPaint) onPaint();
      return false;
    }
  } spy;
  int boots = 0;
  bool closedDuringWork = false;
  bool confirmCovered = false;
  std::string line;
  hooks.onHomeScreen = [&](Platform&) {
    ++boots;
    auto touch = [&](int templateId, int controlId) {
      QWidget* control = backend.ControlWidget(backend.WindowOfTemplate(templateId), controlId);
      const std::optional<QPoint> at = TapPoint(backend.Panel(), control);
      ASSERT_TRUE(at.has_value());
      TouchTap(backend.Panel(), *at);
    };
    touch(102, ids102::kLowerPicture);
    auto* tabs =
        static_cast<TabControlWidget*>(backend.ControlWidget(backend.WindowOfTemplate(129), ids129::kTabControl));
    TouchTap(backend.Panel(), tabs->mapTo(backend.Panel(), tabs->ItemRect(1).center()));
    const WindowHandle page = backend.WindowOfTemplate(133);
    spy.onPaint = [&] {
      if (closedDuringWork || backend.FlashWorkCover() == nullptr) return;
      closedDuringWork = true;
      line = backend.FlashWorkCover()->findChild<QLabel*>()->text().toStdString();
      QWidget* confirm = backend.ControlWidget(backend.WindowOfTemplate(129), ids129::kConfirmRegistryButton);
      confirmCovered = !TapPoint(backend.Panel(), confirm).has_value();
      backend.Panel()->close();
    };
    backend.ControlWidget(page, ids133::kProgressBar)->installEventFilter(&spy);
    touch(133, ids133::kBrowseButton);
    touch(133, ids133::kWriteButton);
  };
  EXPECT_EQ(RunUtility(provider, backend, hooks), RunsEnd::Closed);
  EXPECT_EQ(boots, 1);  // no restart
  EXPECT_TRUE(closedDuringWork);
  EXPECT_TRUE(confirmCovered);
  EXPECT_NE(line.find("Writing the OS image"), std::string::npos) << line;
  EXPECT_EQ(backend.FlashWorkCover(), nullptr);
  // The image was written whole before the utility ended.
  auto controller = provider.Boot(&error);
  ASSERT_NE(controller, nullptr) << error;
  EXPECT_EQ(ReadOsVersion(controller->GetPlatform().flash), "TalvonOS 13");
}

}  // namespace
}  // namespace talvon::qt
