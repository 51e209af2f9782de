#pragma once
// The recovery console's flash work on a controller that does not boot:
// Backup All, Restore All and the OS image write run on the very operations
// the utility's pages use (the same checks, file formats and messages), on
// host files instead of the CompactFlash card, and a raw read of the window.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "operations/system_texts.h"
#include "sim/controller/controller_maintenance.h"

namespace talvon::sim {

// How far a long operation has come; the console draws a bar from it.
class ConsoleProgress {
 public:
  virtual ~ConsoleProgress() = default;
  // `step` names what is being done ("backup", "erase", "write").
  virtual void Show(std::string_view step, std::uint64_t done, std::uint64_t total) = 0;
  // The operation ended (or has something to say): finish the bar's line.
  virtual void End() = 0;
};

// What the operator reads: messages the operation gives on the way (the
// texts the panel shows in message boxes) go to `messages`, one a line,
// after the progress line has been ended.
struct ConsoleOutput {
  ConsoleProgress& progress;
  std::ostream& messages;
};

// Copies LEN bytes of the flash window from window address ADDR into a new
// host file. The range must lie inside the window.
bool ReadFlashToFile(ControllerFiles& controller, std::uint32_t address, std::uint32_t length,
                     const std::string& hostPath, const ConsoleOutput& out, std::string* error);

// Backup All into a host file. *error holds "BackupAll NG !" and the reason.
bool BackupAllToFile(ControllerFiles& controller, const std::string& hostPath, const ConsoleOutput& out,
                     std::string* error);
// Restore All from a host file: the file's check bytes are checked before
// anything is erased. *error holds "Restore Backup File NG !" and the reason.
bool RestoreAllFromFile(ControllerFiles& controller, const std::string& hostPath, const ConsoleOutput& out,
                        std::string* error);
// The OS image write of the Update Version page: the whole image checked
// first, then registry area and OS image area erased, then the records
// written. *error holds the page's message on one line.
bool WriteOsImageWithProgress(ControllerFiles& controller, const std::string& hostPath, const ConsoleOutput& out,
                              std::string* error);

// The verdicts the General Setting page gives after Backup All and Restore All.
inline constexpr const char* BackupAllOkText = system_texts::kBackupOk;
inline constexpr const char* BackupAllNgText = system_texts::kBackupNg;
inline constexpr const char* RestoreAllOkText = system_texts::kRestoreOk;
inline constexpr const char* RestoreAllNgText = system_texts::kRestoreNg;

}  // namespace talvon::sim
