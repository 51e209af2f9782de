#include "qt/utility_runs.h"

#include <QEventLoop>
#include <QLabel>
#include <QTimer>

#include <memory>
#include <optional>

#include "app/home_dlg.h"
#include "app/utility_app.h"
#include "platform/message_box.h"
#include "qt/panel_processes.h"
#include "qt/panel_theme.h"
#include "qt/panel_widget.h"
#include "qt/qt_dialog_backend.h"
#include "qt/restarting_sdk.h"

namespace talvon::qt {
namespace {

// The panel between two runs: dark, with a word on what happens.
void ShowRestart(QWidget* panel, double factor, int pauseMs) {
  if (pauseMs <= 0 || !panel->isVisible()) return;
  auto* screen = new QLabel(QStringLiteral("Restarting\u2026"), panel);
  screen->setAlignment(Qt::AlignCenter);
  screen->setAutoFillBackground(true);
  QPalette black = screen->palette();
  black.setColor(QPalette::Window, Qt::black);
  black.setColor(QPalette::WindowText, QColor(0xc9, 0xd3, 0xdd));
  screen->setPalette(black);
  screen->setFont(PanelFont(static_cast<int>(14 * factor)));
  screen->setGeometry(panel->rect());
  screen->show();
  screen->raise();
  QEventLoop pause;
  QTimer::singleShot(pauseMs, &pause, &QEventLoop::quit);
  pause.exec();
  delete screen;
}

}  // namespace

RunsEnd RunUtility(runner::ControllerProvider& provider, QtDialogBackend& backend, const RunHooks& hooks) {
  // A utility that reboots the controller before its home screen is up would
  // otherwise reboot it for ever.
  constexpr int kMaxRebootsWhileStarting = 3;
  int rebootsWhileStarting = 0;
  for (;;) {
    std::string error;
    std::unique_ptr<runner::BootedController> controller = provider.Boot(&error);
    if (!controller) {
      backend.EndShutdown();
      backend.MessageBox(0, "The controller does not boot: " + error, ApplicationTitle, MB_OK | MB_ICONSTOP);
      return RunsEnd::NoBoot;
    }
    Platform& booted = controller->GetPlatform();
    RestartingSdk sdk(booted.sdk, [&backend] { backend.BeginShutdown(); });
    // A simulated controller's stand-in programs show on the panel; a
    // controller's own programs are only started.
    std::optional<PanelProcesses> panelProcesses;
    if (sim::SimulatedController* simulated = controller->Simulated()) {
      panelProcesses.emplace(booted.processes, *simulated, backend.Panel(), backend.PanelFactor());
    }
    Processes& processes = panelProcesses ? static_cast<Processes&>(*panelProcesses) : booted.processes;
    Platform platform{booted.registry, booted.files, processes,   booted.serialPorts,
                      booted.memory,   booted.clock, booted.flash, sdk};
    backend.EndShutdown();
    backend.SetFiles(&booted.files);
    bool homeScreenUp = false;
    {
      CUtilityApp app(platform, backend);
      // What is queued for this run dies with it, run or not.
      QObject run;
      // The first turn of an event loop comes with the home screen's loop.
      QTimer::singleShot(0, &run, [&homeScreenUp] { homeScreenUp = true; });
      if (hooks.onHomeScreen) {
        QTimer::singleShot(0, &run, [&hooks, &app, &platform] {
          if (app.Session().mainWindow != nullptr) hooks.onHomeScreen(platform);
        });
      }
      app.InitInstance();
    }
    backend.SetFiles(nullptr);
    panelProcesses.reset();
    backend.DeleteDestroyedWidgets();
    if (!sdk.Restarting()) return RunsEnd::Closed;
    controller.reset();  // the controller goes down before it comes up again
    rebootsWhileStarting = homeScreenUp ? 0 : rebootsWhileStarting + 1;
    if (rebootsWhileStarting >= kMaxRebootsWhileStarting) {
      backend.EndShutdown();
      backend.MessageBox(0, "The controller keeps rebooting while the utility starts.", ApplicationTitle,
                         MB_OK | MB_ICONSTOP);
      return RunsEnd::NoBoot;
    }
    ShowRestart(backend.Panel(), backend.PanelFactor(), hooks.restartPauseMs);
    if (!backend.Panel()->isVisible()) return RunsEnd::Closed;  // the panel's window was closed meanwhile
  }
}

}  // namespace talvon::qt
