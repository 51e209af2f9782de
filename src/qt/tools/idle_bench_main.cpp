// talvon-idle-bench [--idle SECONDS] [--settle SECONDS] [--scale FACTOR] [--xserver-pid PID]:
// runs the utility in its window on a fresh simulated controller, opens the
// home screen, every tab of the configuration sheet, a question, the
// file-open dialog and the information sheet in turn, leaves each alone and
// prints, as a Markdown table, what it cost meanwhile: the process's CPU
// time, the X requests it sent (on an X display) and the X server's CPU time
// (when its process id is given). scripts/bench-idle runs it on Xvfb.
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#ifdef TALVON_COUNT_X_REQUESTS
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

#include "platform/clock.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_133.h"
#include "qt/panel_widget.h"
#include "qt/qt_dialog_backend.h"
#include "qt/tab_control_widget.h"
#include "qt/tools/panel_taps.h"
#include "qt/utility_runs.h"
#include "runner/simulated_controller_provider.h"

namespace {

namespace ids102 = talvon::ids102;
namespace ids129 = talvon::ids129;
using talvon::qt::QtDialogBackend;
using talvon::qt::tools::Tap;
using talvon::qt::tools::TapControl;

// utime + stime of a process from /proc/PID/stat, in seconds; nothing when
// it cannot be read.
std::optional<double> CpuSeconds(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return std::nullopt;
  // The command name may hold blanks; the fields after it are plain.
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(close + 2));
  std::string field;
  unsigned long long utime = 0;
  unsigned long long stime = 0;
  // state is field 3; utime and stime are fields 14 and 15.
  for (int index = 3; index <= 15 && fields >> field; ++index) {
    if (index == 14) utime = std::stoull(field);
    if (index == 15) stime = std::stoull(field);
  }
  if (!fields) return std::nullopt;
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The number of X requests the process has sent so far, from the sequence
// number of a request that does nothing; nothing off an X display.
class XRequestCounter {
 public:
  XRequestCounter() {
#ifdef TALVON_COUNT_X_REQUESTS
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>()) connection_ = x11->connection();
#endif
  }
  bool Available() const { return connection_ != nullptr; }
  // Requests sent so far, the probes themselves left out.
  long long Sent() {
#ifdef TALVON_COUNT_X_REQUESTS
    if (connection_ == nullptr) return 0;
    const unsigned int sequence = xcb_no_operation(connection_).sequence;
    xcb_flush(connection_);
    return static_cast<long long>(sequence) - ++probes_;
#else
    return 0;
#endif
  }

 private:
#ifdef TALVON_COUNT_X_REQUESTS
  xcb_connection_t* connection_ = nullptr;
#else
  void* connection_ = nullptr;
#endif
  long long probes_ = 0;
};

// Lets the event loop run for a while, as a panel left alone does.
void LeaveAlone(double seconds) {
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
  loop.exec();
}

struct Options {
  double idleSeconds = 10;
  double settleSeconds = 1;
  double scale = 1;
  std::string xserverPid;
};

bool ParseOptions(const QStringList& args, Options* options) {
  for (int i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (i + 1 >= args.size()) return false;
    bool ok = true;
    if (arg == QStringLiteral("--idle")) {
      options->idleSeconds = args[++i].toDouble(&ok);
      ok = ok && options->idleSeconds > 0;
    } else if (arg == QStringLiteral("--settle")) {
      options->settleSeconds = args[++i].toDouble(&ok);
      ok = ok && options->settleSeconds >= 0;
    } else if (arg == QStringLiteral("--scale")) {
      options->scale = args[++i].toDouble(&ok);
      ok = ok && options->scale >= 0.5 && options->scale <= 8;
    } else if (arg == QStringLiteral("--xserver-pid")) {
      options->xserverPid = args[++i].toStdString();
    } else {
      return false;
    }
    if (!ok) return false;
  }
  return true;
}

// Measures one screen once it is up: settles, then leaves it alone.
class IdleTable {
 public:
  IdleTable(const Options& options) : options_(options) {}

  void PrintHeader() {
    std::printf("| Screen left alone | CPU s in %.0f s | share of a core | X requests |%s\n", options_.idleSeconds,
                options_.xserverPid.empty() ? "" : " X server CPU s |");
    std::printf("|---|---:|---:|---:|%s\n", options_.xserverPid.empty() ? "" : "---:|");
    std::fflush(stdout);
  }

  void Measure(const char* screen) {
    LeaveAlone(options_.settleSeconds);  // what opening the screen set off ends first
    const std::string self = std::to_string(getpid());
    const std::optional<double> cpuBefore = CpuSeconds(self);
    const std::optional<double> serverBefore =
        options_.xserverPid.empty() ? std::nullopt : CpuSeconds(options_.xserverPid);
    const long long requestsBefore = requests_.Sent();
    QElapsedTimer wall;
    wall.start();
    LeaveAlone(options_.idleSeconds);
    const long long requests = requests_.Sent() - requestsBefore;
    const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const std::optional<double> cpuAfter = CpuSeconds(self);
    const std::optional<double> serverAfter =
        options_.xserverPid.empty() ? std::nullopt : CpuSeconds(options_.xserverPid);
    const double cpu = cpuBefore && cpuAfter ? *cpuAfter - *cpuBefore : -1;
    std::string requestText = requests_.Available() ? std::to_string(requests) : std::string("not counted");
    std::string serverText;
    if (!options_.xserverPid.empty()) {
      char buffer[32] = "not read";
      if (serverBefore && serverAfter) std::snprintf(buffer, sizeof buffer, "%.2f", *serverAfter - *serverBefore);
      serverText = std::string(" ") + buffer + " |";
    }
    std::printf("| %s | %.2f | %.1f %% | %s |%s\n", screen, cpu, 100.0 * cpu / seconds, requestText.c_str(),
                serverText.c_str());
    std::fflush(stdout);
  }

 private:
  const Options& options_;
  XRequestCounter requests_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  Options options;
  if (!ParseOptions(QApplication::arguments(), &options)) {
    std::fprintf(stderr,
                 "usage: talvon-idle-bench [--idle SECONDS] [--settle SECONDS] [--scale FACTOR] "
                 "[--xserver-pid PID]\n");
    return 2;
  }

  QTemporaryDir controllerDir;
  talvon::VirtualClock clock;  // the pages' pauses while they start cost no time
  talvon::runner::SimulatedControllerProvider provider(
      controllerDir.filePath(QStringLiteral("controller")).toStdString(), clock);
  QtDialogBackend backend(options.scale);
  backend.Panel()->show();
  bool ok = true;
  talvon::qt::RunHooks hooks;
  hooks.restartPauseMs = 0;
  hooks.onHomeScreen = [&](talvon::Platform&) {
    IdleTable table(options);
    table.PrintHeader();
    table.Measure("Home screen");
    ok = TapControl(backend, 102, ids102::kLowerPicture) && ok;  // the configuration sheet
    const char* tabs[] = {"General Setting", "Update Version", "Auto-execution", "Server Setting",
                          "New Card Wizard"};
    auto* tabControl = dynamic_cast<talvon::qt::TabControlWidget*>(
        backend.ControlWidget(backend.WindowOfTemplate(129), ids129::kTabControl));
    ok = tabControl != nullptr && ok;
    for (int i = 0; i < 5 && tabControl != nullptr; ++i) {
      if (i > 0) Tap(tabControl, tabControl->ItemRect(i).center());
      table.Measure(tabs[i]);
    }
    // A question and the file-open dialog, each left alone, then cancelled.
    auto measureThenCancel = [&](const char* screen, const char* cancel) {
      backend.SetModalHook([&table, screen, cancel](QWidget* dialog) {
        table.Measure(screen);
        if (auto* button = dialog->findChild<QPushButton*>(QString::fromLatin1(cancel))) button->click();
      });
    };
    measureThenCancel("Confirm Registry's question", "no");
    ok = TapControl(backend, 129, ids129::kConfirmRegistryButton) && ok;
    if (tabControl != nullptr) Tap(tabControl, tabControl->ItemRect(1).center());
    measureThenCancel("File-open dialog (Update Version's Browse)", "cancel");
    ok = TapControl(backend, 133, talvon::ids133::kBrowseButton) && ok;
    backend.SetModalHook({});
    ok = TapControl(backend, 129, ids129::kHomeButton) && ok;
    ok = TapControl(backend, 102, ids102::kUpperPicture) && ok;  // the information sheet
    table.Measure("System Configuration");
    backend.Panel()->close();  // closes the home screen
  };
  const talvon::qt::RunsEnd end = talvon::qt::RunUtility(provider, backend, hooks);
  return end == talvon::qt::RunsEnd::Closed && ok ? 0 : 1;
}
