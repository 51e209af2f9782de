#pragma once
#include <cstdint>
#include <string_view>

namespace talvon {

struct ProcessInformation {
  std::uint32_t processId = 0;
  std::uint32_t threadId = 0;
};

// Starting programs on the controller.
class Processes {
 public:
  virtual ~Processes() = default;
  // Starts the program at a controller path with no command line. When
  // `suspended`, its primary thread waits for ResumeThread. false when the
  // program is missing or cannot start.
  virtual bool CreateProcess(std::string_view path, bool suspended, ProcessInformation* info) = 0;
  virtual bool ResumeThread(std::uint32_t threadId) = 0;
  // Opens a file through the shell (a program, batch file or applet) and
  // waits for the started process to end. false when nothing could start.
  virtual bool OpenThroughShellAndWait(std::string_view path) = 0;
};

}  // namespace talvon
