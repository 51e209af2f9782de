// The utility in the window on a simulated controller: the home screen's
// pictures and the sheets' controls work by touch, and Reset_TalVon restarts
// the utility on the same controller with what was not flushed gone.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <set>

#include "flash/bin_image_builder.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_132.h"
#include "platform/templates/ids_133.h"
#include "platform/templates/ids_134.h"
#include "qt/stand_in_windows.h"
#include "qt/tab_control_widget.h"
#include "qt/utility_runs.h"
#include "qt_test_support.h"
#include "runner/simulated_controller_provider.h"

namespace talvon::qt {
namespace {

using namespace test;

bool SetDword(Registry& registry, std::string_view name, std::uint32_t value) {
  HKEY key = 0;
  if (registry.CreateKey(HKEY_LOCAL_MACHINE, "QtRunTest", &key, nullptr) != ERROR_SUCCESS) return false;
  const long result = registry.SetValue(key, name, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&value), 4);
  registry.CloseKey(key);
  return result == ERROR_SUCCESS;
}

bool HasValue(Registry& registry, std::string_view name) {
  HKEY key = 0;
  if (registry.OpenKey(HKEY_LOCAL_MACHINE, "QtRunTest", 0xF003F, &key) != ERROR_SUCCESS) return false;
  std::uint32_t type = 0;
  const bool found = registry.QueryValue(key, name, &type, nullptr, nullptr) == ERROR_SUCCESS;
  registry.CloseKey(key);
  return found;
}

class UtilityOnQt : public ::testing::Test {
 protected:
  UtilityOnQt() : provider(directory.filePath(QStringLiteral("controller")).toStdString(), clock) {
    ShowPanel(backend);
    hooks.restartPauseMs = 0;
  }
  // A finger on a control of the first window built from the template.
  void Touch(int templateId, int controlId) {
    QWidget* control = backend.ControlWidget(backend.WindowOfTemplate(templateId), controlId);
    ASSERT_NE(control, nullptr);
    const std::optional<QPoint> at = TapPoint(backend.Panel(), control);
    ASSERT_TRUE(at.has_value()) << controlId << " is covered";
    TouchTap(backend.Panel(), *at);
  }
  bool Shown(int templateId) { return backend.IsWindowVisible(backend.WindowOfTemplate(templateId)); }
  // Whose client a point of the panel belongs to: the front-most page there.
  int TemplateAt(QPoint onPanel) {
    for (QWidget* w = backend.Panel()->childAt(onPanel); w != nullptr; w = w->parentWidget()) {
      for (WindowHandle handle : backend.Windows()) {
        if (backend.ClientWidget(handle) == w) return backend.TemplateOf(handle)->id;
      }
    }
    return 0;
  }

  QTemporaryDir directory;
  VirtualClock clock;
  runner::SimulatedControllerProvider provider;
  QtDialogBackend backend;
  StopRunOnFailure stopOnFailure{backend};
  RunHooks hooks;
};

TEST_F(UtilityOnQt, PicturesIconsAndButtonsWorkByTouch) {
  int boots = 0;
  hooks.onHomeScreen = [&](Platform&) {
    ++boots;
    EXPECT_TRUE(Shown(102));
    EXPECT_FALSE(Shown(129));
    EXPECT_FALSE(Shown(130));
    Touch(102, ids102::kLowerPicture);  // the lower ball: the configuration sheet
    EXPECT_TRUE(Shown(129));
    auto* tabs =
        static_cast<TabControlWidget*>(backend.ControlWidget(backend.WindowOfTemplate(129), ids129::kTabControl));
    const QPoint pageMiddle = tabs->mapTo(backend.Panel(), tabs->rect().center());
    EXPECT_EQ(TemplateAt(pageMiddle), 134);
    for (const auto& [tab, page] : std::vector<std::pair<int, int>>{{3, 145}, {1, 133}, {4, 237}, {0, 134}}) {
      TouchTap(backend.Panel(), tabs->mapTo(backend.Panel(), tabs->ItemRect(tab).center()));
      EXPECT_EQ(tabs->Selection(), tab);
      EXPECT_EQ(TemplateAt(pageMiddle), page) << "tab " << tab;
    }
    Touch(129, ids129::kHomeIcon);  // the home icon on the Home button
    EXPECT_FALSE(Shown(129));
    Touch(102, ids102::kLowerPicture);
    Touch(129, ids129::kHomeButton);  // Home itself
    EXPECT_FALSE(Shown(129));
    Touch(102, ids102::kUpperPicture);  // the upper ball: the information sheet, which covers the home screen
    EXPECT_TRUE(Shown(130));
    Touch(132, ids132::kHomeIcon);  // its page's home icon
    EXPECT_FALSE(Shown(130));
    Touch(102, ids102::kUpperPicture);
    Touch(132, ids132::kHomeButton);  // its page's Home button
    EXPECT_FALSE(Shown(130));
    backend.Panel()->close();
  };
  EXPECT_EQ(RunUtility(provider, backend, hooks), RunsEnd::Closed);
  EXPECT_EQ(boots, 1);
  EXPECT_TRUE(backend.Windows().empty());
}

TEST_F(UtilityOnQt, ResetRestartsTheUtilityOnTheSameControllerWithoutWhatWasNotFlushed) {
  int boots = 0;
  std::vector<std::string> questions;
  Platform* firstBoot = nullptr;
  backend.SetModalHook([&](QWidget* box) {
    const QString caption = box->property("caption").toString();
    questions.push_back(caption.toStdString());
    if (caption == QStringLiteral("System Reboot")) {
      // Flushed by now; this change is made after the flush and is lost.
      EXPECT_TRUE(SetDword(firstBoot->registry, "AfterFlush", 2));
    }
    auto* yes = box->findChild<QPushButton*>(QStringLiteral("yes"));
    ASSERT_NE(yes, nullptr);
    TouchTap(backend.Panel(), yes->mapTo(backend.Panel(), yes->rect().center()));
  });
  hooks.onHomeScreen = [&](Platform& platform) {
    ++boots;
    if (boots == 1) {
      firstBoot = &platform;
      EXPECT_TRUE(SetDword(platform.registry, "BeforeFlush", 1));
      Touch(102, ids102::kLowerPicture);
      Touch(129, ids129::kSaveIcon);  // the save icon: Confirm Registry, which reboots
      EXPECT_TRUE(backend.ShuttingDown());
      return;
    }
    EXPECT_TRUE(HasValue(platform.registry, "BeforeFlush"));
    EXPECT_FALSE(HasValue(platform.registry, "AfterFlush"));
    EXPECT_TRUE(Shown(102));
    EXPECT_FALSE(Shown(129));  // a fresh start: the sheet is hidden again
    backend.Panel()->close();
  };
  EXPECT_EQ(RunUtility(provider, backend, hooks), RunsEnd::Closed);
  EXPECT_EQ(boots, 2);
  EXPECT_EQ(questions, (std::vector<std::string>{"Save Registry", "System Reboot"}));
}

// Closing the panel's window while something is in front of the utility's
// windows never ends the utility half way: under a question it is refused,
// and a started program in front takes it as its own window's close,
// whether the page waits for the program or not.
TEST_F(UtilityOnQt, ClosingThePanelDuringAQuestionOrAStartedProgramLeavesTheUtilityRunning) {
  int boots = 0;
  int questions = 0;
  bool closedInTheWait = false;
  backend.SetModalHook([&](QWidget* box) {
    ++questions;
    EXPECT_FALSE(backend.Panel()->close());
    QCoreApplication::processEvents();
    EXPECT_TRUE(box->isVisible()) << "the question waits for its answer";
    auto* no = box->findChild<QPushButton*>(QStringLiteral("no"));
    ASSERT_NE(no, nullptr);
    no->click();
  });
  hooks.onHomeScreen = [&](Platform&) {
    ++boots;
    Touch(102, ids102::kLowerPicture);
    Touch(129, ids129::kConfirmRegistryButton);  // Confirm Registry's question
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(Shown(129));
    Touch(134, ids134::kSerialButton);  // RS232: the calibration screen comes up and the page goes on
    ASSERT_NE(FrontProgramWindow(backend.Panel()), nullptr);
    EXPECT_FALSE(backend.Panel()->close());
    QCoreApplication::processEvents();
    EXPECT_EQ(FrontProgramWindow(backend.Panel()), nullptr);
    EXPECT_TRUE(backend.Panel()->isVisible());
    EXPECT_TRUE(Shown(102));
    EXPECT_TRUE(Shown(129));

    // Register ActiveX: the page waits until the program's window closes.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (FrontProgramWindow(backend.Panel()) == nullptr) return;
      poll.stop();
      closedInTheWait = !backend.Panel()->close();
    });
    poll.start(5);
    Touch(134, ids134::kRegisterActiveX);  // returns once the wait is over
    EXPECT_TRUE(closedInTheWait);
    EXPECT_EQ(FrontProgramWindow(backend.Panel()), nullptr);
    EXPECT_TRUE(Shown(129));
    backend.Panel()->close();  // nothing in front now: the utility ends
  };
  EXPECT_EQ(RunUtility(provider, backend, hooks), RunsEnd::Closed);
  EXPECT_EQ(boots, 1);
  EXPECT_TRUE(backend.Windows().empty());
}

// The OS update in the window: the operator browses to the image, writes
// it, watches the progress bar move while the flash is erased and written,
// and the controller comes back with the new OS.
TEST_F(UtilityOnQt, AnOsUpdateShowsItsProgressAndRebootsIntoTheNewImage) {
  std::string error;
  ASSERT_NE(provider.Boot(&error), nullptr) << error;  // the factory controller
  const std::vector<std::uint8_t> image =
      BuildBinImage({.version = "TalvonOS 11.0", .imageStart = 0x80200000, .size = 0x40000, .recordSize = 0x8000});
  const QString card = directory.filePath(QStringLiteral("controller/fs/CompactFlash"));
  QDir().mkpath(card);
  QFile file(card + QStringLiteral("/nk.bin"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
  file.close();

  struct PaintSpy final : QObject {
    std::function<void()> onPaint;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) onPaint();
      return false;
    }
  } spy;
  std::vector<int> painted;
  std::vector<std::string> questions;
  std::string osVersionAfter;
  int boots = 0;
  backend.SetModalHook([&](QWidget* dialog) {
    if (dialog->objectName() == QStringLiteral("fileDialog")) {
      dialog->findChild<QLineEdit*>(QStringLiteral("name"))->setText(QStringLiteral("\\CompactFlash\\nk.bin"));
      dialog->findChild<QPushButton*>(QStringLiteral("ok"))->click();
      return;
    }
    questions.push_back(dialog->property("text").toString().toStdString());
    if (auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("ok"))) ok->click();
  });
  hooks.onHomeScreen = [&](Platform&) {
    if (++boots == 2) {
      osVersionAfter = backend.GetControlText(backend.WindowOfTemplate(132), ids132::kOsVersionField);
      backend.Panel()->close();
      return;
    }
    Touch(102, ids102::kLowerPicture);
    auto* tabs =
        static_cast<TabControlWidget*>(backend.ControlWidget(backend.WindowOfTemplate(129), ids129::kTabControl));
    TouchTap(backend.Panel(), tabs->mapTo(backend.Panel(), tabs->ItemRect(1).center()));
    const WindowHandle page = backend.WindowOfTemplate(133);
    spy.onPaint = [&] { painted.push_back(backend.GetProgress(page, ids133::kProgressBar).position); };
    backend.ControlWidget(page, ids133::kProgressBar)->installEventFilter(&spy);
    Touch(133, ids133::kBrowseButton);  // Browse
    EXPECT_EQ(backend.GetControlText(page, ids133::kPathField), "\\CompactFlash\\nk.bin");
    ASSERT_TRUE(backend.IsControlEnabled(page, ids133::kWriteButton));
    Touch(133, ids133::kWriteButton);  // Write to Flash Now: runs to the reboot
    EXPECT_TRUE(backend.ShuttingDown());
  };
  EXPECT_EQ(RunUtility(provider, backend, hooks), RunsEnd::Closed);
  EXPECT_EQ(boots, 2);
  EXPECT_TRUE(questions.empty()) << questions.front();
  EXPECT_EQ(osVersionAfter, "TalvonOS 11.0");
  // The bar was painted at many positions while the thread was busy writing.
  const std::set<int> distinct(painted.begin(), painted.end());
  EXPECT_GE(distinct.size(), 5u);
  EXPECT_TRUE(distinct.count(100));
}

}  // namespace
}  // namespace talvon::qt
