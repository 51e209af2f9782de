// Program starts on a simulated controller whose panel is shown: each start
// goes to the controller as it would anyway, and when the program is one
// of the controller's stand-ins its window opens on the panel. A controller
// with programs of its own is given its Processes unwrapped.
#pragma once
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <map>
#include <vector>

#include "platform/processes.h"
#include "sim/controller/simulated_controller.h"
#include "sim/roles/stand_in_programs.h"

namespace talvon::qt {

class PanelProcesses final : public Processes {
 public:
  PanelProcesses(Processes& inner, sim::SimulatedController& controller, QWidget* panel, double panelFactor);
  // The programs end with the run: their windows go.
  ~PanelProcesses() override;
  PanelProcesses(const PanelProcesses&) = delete;
  PanelProcesses& operator=(const PanelProcesses&) = delete;

  // A program started suspended shows its window once it is resumed.
  bool CreateProcess(std::string_view path, bool suspended, ProcessInformation* info) override;
  bool ResumeThread(std::uint32_t threadId) override;
  // Waits, as the shell's wait does, until the program's window is closed;
  // the rest of the panel takes no taps meanwhile.
  bool OpenThroughShellAndWait(std::string_view path) override;

 private:
  QWidget* Open(sim::StandInProgram program);

  Processes& inner_;
  sim::SimulatedController& controller_;
  QWidget* panel_;
  double factor_;
  std::map<std::uint32_t, sim::StandInProgram> suspended_;
  std::vector<QPointer<QWidget>> windows_;
};

}  // namespace talvon::qt
