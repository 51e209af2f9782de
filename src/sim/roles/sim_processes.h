#pragma once
// Programs of the controller run as host programs: a controller path
// ("\windows\RegView.exe") is confined to the controller's file system like
// every other path (controller_path.h) and names an executable file there,
// which is started with no arguments, an empty standard input, a minimal
// environment and the file system's root as working directory.
//
// Started programs are detached (started through an intermediate process
// that ends at once), so none is ever left as a zombie and CreateProcess never
// waits for one to end. A process created suspended waits before its program
// is loaded until ResumeThread; one never resumed is ended when this object
// goes. Not modelled: command lines, exit codes, window handles, suspend
// counts above one; the shell runs only executable files (no file-type
// associations).

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/processes.h"
#include "sim/roles/controller_path.h"
#include "sim/roles/unique_fd.h"

namespace talvon::sim {

class SimProcesses final : public Processes {
 public:
  enum class ChildOutput { Inherit, Discard };
  using StartObserver = std::function<void(std::string_view controllerPath)>;

  // `hostRoot` is the folder that the controller's "\" stands for. Started
  // programs write to this process's standard output and error, or to
  // nowhere with ChildOutput::Discard.
  explicit SimProcesses(std::filesystem::path hostRoot, ChildOutput output = ChildOutput::Inherit);
  ~SimProcesses() override;
  SimProcesses(const SimProcesses&) = delete;
  SimProcesses& operator=(const SimProcesses&) = delete;

  // Called with the controller path after every successful start.
  void SetStartObserver(StartObserver observer) { observer_ = std::move(observer); }

  bool CreateProcess(std::string_view path, bool suspended, ProcessInformation* info) override;
  bool ResumeThread(std::uint32_t threadId) override;
  bool OpenThroughShellAndWait(std::string_view path) override;

 private:
  struct Waiting {
    UniqueFd resume;  // one byte lets the program load; closing ends it instead
    UniqueFd status;  // reports the loader's errno, or closes when loaded
  };
  struct Start {
    pid_t pid = -1;
    UniqueFd resume;
    UniqueFd status;
  };

  // Host path of the executable a controller path names; empty when there is none.
  std::string FindProgram(std::string_view controllerPath) const;
  bool Launch(const std::string& hostPath, bool detached, bool suspended, Start* start) const;
  void Notify(std::string_view path) const;

  ControllerFileSystem fs_;
  ChildOutput output_;
  StartObserver observer_;
  std::map<std::uint32_t, Waiting> waiting_;
};

}  // namespace talvon::sim
