#include "qt/panel_processes.h"

#include <QEventLoop>

#include "qt/panel_widget.h"
#include "qt/stand_in_windows.h"

namespace talvon::qt {
namespace {

QStringList ToLines(const std::vector<std::string>& lines) {
  QStringList out;
  for (const std::string& line : lines) out << QString::fromStdString(line);
  return out;
}

}  // namespace

PanelProcesses::PanelProcesses(Processes& inner, sim::SimulatedController& controller, QWidget* panel,
                               double panelFactor)
    : inner_(inner), controller_(controller), panel_(panel), factor_(panelFactor) {}

PanelProcesses::~PanelProcesses() {
  for (const QPointer<QWidget>& window : windows_) delete window.data();
}

QWidget* PanelProcesses::Open(sim::StandInProgram program) {
  QWidget* window = nullptr;
  switch (program) {
    case sim::StandInProgram::RegistryViewer:
      window = OpenRegistryViewer(panel_, factor_, controller_.Registry().Store());
      break;
    case sim::StandInProgram::SerialCalibration:
    case sim::StandInProgram::UsbCalibration:
      window = OpenCalibrationScreen(panel_, factor_, program, controller_.Registry());
      break;
    case sim::StandInProgram::ActiveXRegistration: {
      QStringList lines(QStringLiteral("Registering the ActiveX controls:"));
      lines << ToLines(sim::ActiveXRegistrationPlan(controller_.Directory().FileSystemRoot()));
      lines << QStringLiteral("The simulated controller registers nothing.");
      window = OpenProgramNotice(panel_, factor_, program, QStringLiteral("RegistryOCX"), lines);
      break;
    }
    case sim::StandInProgram::RegionalSettings:
      window = OpenProgramNotice(panel_, factor_, program, QStringLiteral("Regional Settings"),
                                 ToLines(sim::RegionalSettingsPlan()));
      break;
    case sim::StandInProgram::None: break;
  }
  if (window != nullptr) windows_.emplace_back(window);
  return window;
}

bool PanelProcesses::CreateProcess(std::string_view path, bool suspended, ProcessInformation* info) {
  ProcessInformation started;
  if (!inner_.CreateProcess(path, suspended, &started)) return false;
  if (info) *info = started;
  const sim::StandInProgram program = sim::StandInAt(controller_.Directory().FileSystemRoot(), path);
  if (suspended) {
    suspended_[started.threadId] = program;
  } else {
    Open(program);
  }
  return true;
}

bool PanelProcesses::ResumeThread(std::uint32_t threadId) {
  const bool resumed = inner_.ResumeThread(threadId);
  auto it = suspended_.find(threadId);
  if (it == suspended_.end()) return resumed;
  const sim::StandInProgram program = it->second;
  suspended_.erase(it);
  if (resumed) Open(program);
  return resumed;
}

bool PanelProcesses::OpenThroughShellAndWait(std::string_view path) {
  if (!inner_.OpenThroughShellAndWait(path)) return false;
  QPointer<QWidget> shield = new ModalShield(panel_);
  shield->show();
  QPointer<QWidget> window = Open(sim::StandInAt(controller_.Directory().FileSystemRoot(), path));
  if (window) {
    window->raise();
    QEventLoop wait;
    QObject::connect(window, &QObject::destroyed, &wait, &QEventLoop::quit);
    wait.exec();
  }
  delete shield.data();
  return true;
}

}  // namespace talvon::qt
