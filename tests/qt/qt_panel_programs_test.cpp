// The simulated controller's stand-in programs on the panel: started as the
// pages start them, they open windows of their own, do what they show, and
// close with a tap.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "flash/flash_areas.h"
#include "platform/clock.h"
#include "platform/little_endian.h"
#include "qt/panel_processes.h"
#include "qt/stand_in_windows.h"
#include "qt/window_main.h"
#include "qt_test_support.h"
#include "sim/controller/simulated_controller.h"

namespace talvon::qt {
namespace {

using namespace test;

class PanelProgramsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    directory_ = new QTemporaryDir;
    // Created once: a new controller writes a full-size factory image.
    Boot();
  }
  static void TearDownTestSuite() {
    delete directory_;
    directory_ = nullptr;
  }
  // Booted as the window boots it.
  static std::unique_ptr<sim::SimulatedController> Boot() {
    static VirtualClock clock;
    std::string error;
    auto controller =
        sim::SimulatedController::Boot(directory_->filePath(QStringLiteral("controller")).toStdString(), clock, &error,
                                       WindowControllerOptions());
    EXPECT_NE(controller, nullptr) << error;
    return controller;
  }

  PanelProgramsTest()
      : controller(Boot()),
        processes(controller->Processes(), *controller, backend.Panel(), backend.PanelFactor()) {
    ShowPanel(backend);
  }

  QList<QWidget*> ProgramWindows() {
    QList<QWidget*> shown;
    for (QWidget* w : backend.Panel()->findChildren<QWidget*>(QString::fromLatin1(kStandInObjectName))) {
      if (w->isVisible()) shown << w;
    }
    return shown;
  }
  void Tap(QWidget* widget) {
    const std::optional<QPoint> at = TapPoint(backend.Panel(), widget);
    ASSERT_TRUE(at.has_value());
    TouchTap(backend.Panel(), *at);
  }
  static void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }
  // What the controller keeps of its registry: the running registry and the
  // hive in flash.
  std::pair<std::string, std::vector<std::uint8_t>> RegistryNow() {
    const std::uint8_t* area = controller->Flash().Contents() + (RegistryFlashArea - FlashWindowBase);
    return {controller->Registry().ExportText(), std::vector<std::uint8_t>(area, area + RegistryFlashAreaSize)};
  }
  std::uint32_t Dword(std::string_view key, std::string_view name) {
    const sim::RegistryValue* value = controller->Registry().Store().FindValue(key, name);
    if (value == nullptr || value->data.size() != 4) return 0xDEADBEEF;
    return LoadLe32(value->data.data());
  }

  static QTemporaryDir* directory_;
  QtDialogBackend backend;
  std::unique_ptr<sim::SimulatedController> controller;
  PanelProcesses processes;
};

QTemporaryDir* PanelProgramsTest::directory_ = nullptr;

TEST_F(PanelProgramsTest, RegistryViewerShowsTheRunningRegistryOnceResumedAndClosesWithATap) {
  HKEY key = 0;
  ASSERT_EQ(controller->Registry().CreateKey(HKEY_LOCAL_MACHINE, "Unflushed\\Change", &key, nullptr), ERROR_SUCCESS);
  const std::uint32_t value = 42;
  controller->Registry().SetValue(key, "Answer", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&value), 4);
  controller->Registry().CloseKey(key);

  ProcessInformation info;
  ASSERT_TRUE(processes.CreateProcess("\\windows\\RegView.exe", true, &info));
  EXPECT_TRUE(ProgramWindows().isEmpty()) << "a suspended program shows nothing";
  ASSERT_TRUE(processes.ResumeThread(info.threadId));
  ASSERT_EQ(ProgramWindows().size(), 1);
  auto* tree = ProgramWindows().front()->findChild<QTreeWidget*>(QStringLiteral("registryTree"));
  ASSERT_NE(tree, nullptr);
  const QList<QTreeWidgetItem*> found =
      tree->findItems(QStringLiteral("Answer = 0x0000002a (42)"), Qt::MatchExactly | Qt::MatchRecursive);
  ASSERT_EQ(found.size(), 1);
  EXPECT_EQ(found.front()->parent()->text(0), QStringLiteral("Change"));
  EXPECT_EQ(found.front()->parent()->parent()->text(0), QStringLiteral("Unflushed"));

  Tap(ProgramWindows().front()->findChild<QPushButton*>(QStringLiteral("close")));
  Settle();
  EXPECT_TRUE(ProgramWindows().isEmpty());
}

TEST_F(PanelProgramsTest, RegistryViewerWritesNothingOnTheUtilitysTerminal) {
  // The utility's standard output and error go into a pipe while the viewer
  // starts; once they are given back, only the started program can hold
  // the pipe, so its end comes when the program has ended.
  int pipeEnds[2];
  ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
  std::fflush(stdout);
  std::fflush(stderr);
  const int savedOut = ::dup(1);
  const int savedErr = ::dup(2);
  ::dup2(pipeEnds[1], 1);
  ::dup2(pipeEnds[1], 2);
  ::close(pipeEnds[1]);
  ProcessInformation info;
  const bool started =
      processes.CreateProcess("\\windows\\RegView.exe", true, &info) && processes.ResumeThread(info.threadId);
  QCoreApplication::processEvents();
  std::fflush(stdout);
  std::fflush(stderr);
  ::dup2(savedOut, 1);
  ::dup2(savedErr, 2);
  ::close(savedOut);
  ::close(savedErr);
  std::string written;
  char chunk[4096];
  for (ssize_t n; (n = ::read(pipeEnds[0], chunk, sizeof chunk)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    written.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(pipeEnds[0]);
  EXPECT_TRUE(started);
  EXPECT_EQ(ProgramWindows().size(), 1) << "the registry is shown in the viewer's window";
  EXPECT_EQ(written, "");
}

TEST_F(PanelProgramsTest, CalibrationStoresTheReadingsOnlyOnceEveryTargetIsTappedNearItsCentre) {
  const std::string_view usbKey = "Drivers\\USB\\ClientDrivers\\PenMount_USB_HID_Class_Driver\\0";
  ASSERT_TRUE(processes.CreateProcess("\\windows\\Calibrate_usb.exe", false, nullptr));
  ASSERT_EQ(ProgramWindows().size(), 1);
  QWidget* screen = ProgramWindows().front();
  EXPECT_EQ(screen->size(), backend.Panel()->size());
  // A tap far off the first target (in the middle of the panel) is asked again.
  const QPoint farOff = CalibrationTargetPoint(screen) + QPoint(0, 3 * sim::kCalibrationTapReach);
  TouchTap(backend.Panel(), screen->mapTo(backend.Panel(), farOff));
  EXPECT_EQ(CalibrationTargetIndex(screen), 0);
  const int targets = static_cast<int>(sim::CalibrationTargets().size());
  for (int i = 0; i < targets; ++i) {
    EXPECT_EQ(CalibrationTargetIndex(screen), i);
    EXPECT_EQ(Dword(usbKey, "X_4"), 0xDEADBEEF) << "nothing stored before the last target";
    TouchTap(backend.Panel(), screen->mapTo(backend.Panel(), CalibrationTargetPoint(screen)));
  }
  EXPECT_EQ(Dword(usbKey, "CalibPoints"), static_cast<std::uint32_t>(targets));
  EXPECT_EQ(Dword(usbKey, "X_0"), 0x200u);
  EXPECT_EQ(Dword(usbKey, "X_3"), 0x3A0u);
  ASSERT_EQ(ProgramWindows().size(), 1) << "the result stays until the operator taps";
  TouchTap(backend.Panel(), QPoint(10, 10));
  Settle();
  EXPECT_TRUE(ProgramWindows().isEmpty());
}

TEST_F(PanelProgramsTest, EscapeOrClosingCancelsTheCalibrationAndKeepsTheOldOne) {
  const std::string_view serialKey = "Drivers\\BuiltIn\\Dmc9x00";
  const int targets = static_cast<int>(sim::CalibrationTargets().size());
  const auto calibrate = [&](int taps) {
    QWidget* screen = ProgramWindows().front();
    for (int i = 0; i < taps; ++i) {
      TouchTap(backend.Panel(), screen->mapTo(backend.Panel(), CalibrationTargetPoint(screen) + QPoint(i, -i)));
    }
    return screen;
  };
  ASSERT_TRUE(processes.CreateProcess("\\windows\\Calibrate_serial.exe", false, nullptr));
  calibrate(targets);
  TouchTap(backend.Panel(), QPoint(10, 10));
  Settle();
  ASSERT_EQ(Dword(serialKey, "CalibPoints"), static_cast<std::uint32_t>(targets)) << "a calibration the driver has";
  const auto before = RegistryNow();

  // Escape part way through.
  ASSERT_TRUE(processes.CreateProcess("\\windows\\Calibrate_serial.exe", false, nullptr));
  ASSERT_EQ(ProgramWindows().size(), 1);
  QWidget* screen = calibrate(2);
  ASSERT_EQ(CalibrationTargetIndex(screen), 2);
  QTest::keyClick(backend.Panel()->windowHandle(), Qt::Key_Escape);  // to whatever has the focus
  Settle();
  EXPECT_TRUE(ProgramWindows().isEmpty());
  EXPECT_TRUE(RegistryNow() == before) << "an Escape stores nothing";

  // Closing the panel's window one target before the last closes the program's.
  ASSERT_TRUE(processes.CreateProcess("\\windows\\Calibrate_serial.exe", false, nullptr));
  ASSERT_EQ(CalibrationTargetIndex(calibrate(targets - 1)), targets - 1);
  EXPECT_FALSE(backend.Panel()->close()) << "the panel stays";
  Settle();
  EXPECT_TRUE(ProgramWindows().isEmpty());
  EXPECT_TRUE(backend.Panel()->isVisible());
  EXPECT_TRUE(RegistryNow() == before) << "a close stores nothing";
}

TEST_F(PanelProgramsTest, ShellProgramsShowWhatTheyWouldDoAndTheWaitEndsWithATap) {
  const std::string before = controller->Registry().ExportText();
  for (const char* path : {"\\compactflash\\Vantro-I\\Lumex\\RegistryOCX.bat", "\\Windows\\intll.cpl"}) {
    bool shown = false;
    QTimer::singleShot(0, backend.Panel(), [&] {
      shown = ProgramWindows().size() == 1;
      if (shown) Tap(ProgramWindows().front()->findChild<QPushButton*>(QStringLiteral("close")));
    });
    EXPECT_TRUE(processes.OpenThroughShellAndWait(path)) << path;
    EXPECT_TRUE(shown) << path;
    Settle();
    EXPECT_TRUE(ProgramWindows().isEmpty()) << path;
  }
  EXPECT_EQ(controller->Registry().ExportText(), before);
}

TEST_F(PanelProgramsTest, ProgramsThatAreNoStandInsOnlyStartAndWindowsGoWithTheRun) {
  const auto other = directory_->filePath(QStringLiteral("controller/fs/Windows/Other.exe")).toStdString();
  {
    std::FILE* f = std::fopen(other.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("#!/bin/sh\nexit 0\n", f);
    std::fclose(f);
    std::filesystem::permissions(other, std::filesystem::perms::owner_all);
  }
  EXPECT_TRUE(processes.CreateProcess("\\Windows\\Other.exe", false, nullptr));
  EXPECT_TRUE(processes.OpenThroughShellAndWait("\\Windows\\Other.exe"));
  EXPECT_TRUE(ProgramWindows().isEmpty());
  EXPECT_FALSE(processes.CreateProcess("\\Windows\\Missing.exe", false, nullptr));

  auto run = std::make_unique<PanelProcesses>(controller->Processes(), *controller, backend.Panel(), 1.0);
  ASSERT_TRUE(run->CreateProcess("\\windows\\Calibrate_serial.exe", false, nullptr));
  ASSERT_EQ(ProgramWindows().size(), 1);
  run.reset();
  Settle();
  EXPECT_TRUE(ProgramWindows().isEmpty());
}

}  // namespace
}  // namespace talvon::qt
