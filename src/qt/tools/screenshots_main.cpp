// talvon-screenshots OUTDIR [--scale FACTOR]: runs the utility off screen on
// a fresh simulated controller and saves pictures of the home screen, of
// every tab of the configuration sheet and of the information sheet, as the
// operator would see them on the panel.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <string>

#include "platform/clock.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "qt/file_dialog_widget.h"
#include "qt/panel_widget.h"
#include "qt/qt_dialog_backend.h"
#include "qt/tab_control_widget.h"
#include "qt/tools/panel_taps.h"
#include "qt/utility_runs.h"
#include "qt/window_main.h"
#include "runner/simulated_controller_provider.h"

namespace {

namespace ids102 = talvon::ids102;
namespace ids129 = talvon::ids129;
using talvon::qt::QtDialogBackend;

void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

// A tap, and what it sets going run to its end.
void Tap(QWidget* widget, QPoint at) {
  talvon::qt::tools::Tap(widget, at);
  Settle();
}

void TapControl(QtDialogBackend& backend, int templateId, int controlId) {
  talvon::qt::tools::TapControl(backend, templateId, controlId);
  Settle();
}

bool Save(QtDialogBackend& backend, const QString& folder, const QString& name) {
  Settle();
  const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
  const bool saved = backend.Panel()->grab().save(path);
  std::printf("%s %s\n", saved ? "saved" : "could not save", path.toUtf8().constData());
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: talvon-screenshots OUTDIR [--scale FACTOR]\n");
    return 2;
  }
  const QString folder = args[1];
  double scale = 1.0;
  if (args.size() >= 4 && args[2] == QStringLiteral("--scale")) scale = args[3].toDouble();
  QDir().mkpath(folder);

  QTemporaryDir controllerDir;
  talvon::VirtualClock clock;  // the pages' pauses cost no time
  talvon::runner::SimulatedControllerProvider provider(controllerDir.filePath(QStringLiteral("controller")).toStdString(),
                                                       clock, talvon::qt::WindowControllerOptions());
  QtDialogBackend backend(scale);
  backend.Panel()->show();
  bool ok = true;
  talvon::qt::RunHooks hooks;
  hooks.restartPauseMs = 0;
  hooks.onHomeScreen = [&](talvon::Platform&) {
    ok = Save(backend, folder, QStringLiteral("home")) && ok;
    TapControl(backend, 102, ids102::kLowerPicture);  // the configuration sheet
    const char* tabs[] = {"general-setting", "update-version", "auto-execution", "server-setting",
                          "new-card-wizard"};
    const talvon::WindowHandle sheet = backend.WindowOfTemplate(129);
    auto* tabControl = dynamic_cast<talvon::qt::TabControlWidget*>(backend.ControlWidget(sheet, ids129::kTabControl));
    for (int i = 0; i < 5 && tabControl != nullptr; ++i) {
      Tap(tabControl, tabControl->ItemRect(i).center());
      ok = Save(backend, folder, QStringLiteral("configuration-") + QString::fromLatin1(tabs[i])) && ok;
    }
    // Confirm Registry's first question, answered No.
    backend.SetModalHook([&](QWidget* box) {
      ok = Save(backend, folder, QStringLiteral("question-save-registry")) && ok;
      if (auto* no = box->findChild<QPushButton*>(QStringLiteral("no"))) no->click();
    });
    TapControl(backend, 129, ids129::kConfirmRegistryButton);
    // The file-open dialog as the Update Version page asks for it, in the card's folder.
    backend.SetModalHook([&](QWidget* dialog) {
      for (QWidget* child : dialog->findChildren<QWidget*>()) {
        if (auto* content = dynamic_cast<talvon::qt::FileDialogContent*>(child)) {
          content->OpenFolder(QStringLiteral("\\CompactFlash"));
        }
      }
      ok = Save(backend, folder, QStringLiteral("file-dialog")) && ok;
      if (auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("cancel"))) cancel->click();
    });
    talvon::FileDialogRequest request;
    request.filter = "OSimage Files(*.bin)|*.bin";
    request.flags = talvon::OFN_PATHMUSTEXIST | talvon::OFN_FILEMUSTEXIST;
    backend.OpenFileDialog(0, request, nullptr);
    backend.SetModalHook({});
    TapControl(backend, 129, ids129::kHomeButton);
    TapControl(backend, 102, ids102::kUpperPicture);  // the information sheet
    ok = Save(backend, folder, QStringLiteral("information-system-configuration")) && ok;
    backend.Panel()->close();  // closes the home screen
  };
  const talvon::qt::RunsEnd end = talvon::qt::RunUtility(provider, backend, hooks);
  return end == talvon::qt::RunsEnd::Closed && ok ? 0 : 1;
}
