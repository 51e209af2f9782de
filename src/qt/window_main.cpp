#include "qt/window_main.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "qt/panel_widget.h"
#include "qt/qt_dialog_backend.h"
#include "qt/utility_runs.h"
#include "runner/headless_main.h"
#include "runner/simulated_controller_provider.h"

namespace talvon::qt {
namespace {

constexpr char kUsage[] =
    "usage: talvon-utility [--controller DIR] [--fullscreen | --windowed] [--scale FACTOR]\n"
    "       talvon-utility --headless --script FILE [--controller DIR]\n";

struct WindowOptions {
  std::string controller;
  std::optional<bool> fullScreen;
  std::optional<double> scale;
};

bool ParseOptions(const QStringList& arguments, WindowOptions* options, std::string* error) {
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& arg = arguments[i];
    if (arg == QStringLiteral("--controller") && i + 1 < arguments.size()) {
      options->controller = arguments[++i].toStdString();
    } else if (arg == QStringLiteral("--fullscreen")) {
      options->fullScreen = true;
    } else if (arg == QStringLiteral("--windowed")) {
      options->fullScreen = false;
    } else if (arg == QStringLiteral("--scale") && i + 1 < arguments.size()) {
      bool ok = false;
      const double scale = arguments[++i].toDouble(&ok);
      if (!ok || scale < 0.5 || scale > 8) {
        *error = "the scale must be a number from 0.5 to 8";
        return false;
      }
      options->scale = scale;
    } else {
      *error = "unexpected argument \"" + arg.toStdString() + "\"";
      return false;
    }
  }
  return true;
}

// Frame buffer and KMS platforms have no window manager: the panel is the screen.
bool PlatformIsAPanel() {
  const QString platform = QGuiApplication::platformName();
  return platform == QStringLiteral("linuxfb") || platform == QStringLiteral("eglfs") ||
         platform == QStringLiteral("vkkhrdisplay");
}

// Whether Qt will find somewhere to draw: a display, or a platform named.
bool HasSomewhereToDraw(int argc, char** argv) {
  for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    if (!qEnvironmentVariableIsEmpty(variable)) return true;
  }
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "-platform") return true;
  }
  return false;
}

}  // namespace

sim::ControllerOptions WindowControllerOptions() {
  sim::ControllerOptions options;
  options.childOutput = sim::SimProcesses::ChildOutput::Discard;
  return options;
}

int WindowMain(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  if (!HasSomewhereToDraw(argc, argv)) {
    std::fprintf(stderr,
                 "talvon-utility: no display: run it on a desktop, set QT_QPA_PLATFORM (linuxfb, eglfs) for a "
                 "panel, or use scripts/run, which serves it over VNC\n");
    return 2;
  }
  QApplication application(argc, argv);  // takes Qt's own options (-platform, ...)
  QApplication::setApplicationName(QStringLiteral("TalvonUtility"));
  QGuiApplication::setDesktopFileName(QStringLiteral("talvon-utility"));
  QApplication::setQuitOnLastWindowClosed(false);  // the runs decide when to end

  WindowOptions options;
  std::string error;
  if (!ParseOptions(QApplication::arguments(), &options, &error)) {
    std::fprintf(stderr, "talvon-utility: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (options.controller.empty()) options.controller = runner::DefaultControllerDirectory();
  if (options.controller.empty()) {
    std::fprintf(stderr, "talvon-utility: no controller directory: set HOME or pass --controller DIR\n");
    return 2;
  }

  const bool fullScreen = options.fullScreen.value_or(PlatformIsAPanel());
  QScreen* screen = QGuiApplication::primaryScreen();
  QSize room = screen != nullptr ? (fullScreen ? screen->size() : screen->availableGeometry().size())
                                 : QSize(PanelWidget::kWidth, PanelWidget::kHeight);
  if (!fullScreen) room -= QSize(16, 48);  // leave room for a window manager's frame
  const double factor = options.scale.value_or(PanelWidget::FactorForScreen(room, fullScreen));

  SystemClock clock;
  runner::SimulatedControllerProvider provider(options.controller, clock, WindowControllerOptions());
  QtDialogBackend backend(factor);
  backend.Panel()->ShowOnScreen(fullScreen);
  const RunsEnd end = RunUtility(provider, backend);
  return end == RunsEnd::NoBoot ? 3 : 0;
}

}  // namespace talvon::qt
