#pragma once
#include <string>
#include <string_view>

#include "flash/transfer_buffer.h"
#include "operations/os_image_writer.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/flash_window.h"

namespace talvon {

// Whoever runs the OS image write: the Update Version page on the panel, or
// the recovery console on a controller that does not boot. Besides the
// progress it hears of the failures the write goes on after, and of the
// moment the flash work starts.
class OsImageUpdateHost : public OsImageProgress {
 public:
  // A failure the write goes on after ("ERROR: Registry clear failed.\n").
  virtual void ShowError(std::string_view text) = 0;
  // Checks passed: the flash is about to be erased.
  virtual void FlashWorkStarts() {}
};

struct OsImageUpdateRoles {
  Files& files;
  FlashWindow& flash;
  Clock& clock;
  TransferBuffer& transfer;
  OsImageUpdateHost& host;
};

struct OsImageUpdateResult {
  enum class Outcome {
    Written,          // the whole image is in flash: the controller may restart
    Refused,          // the image failed its check; flash untouched
    EraseIncomplete,  // the system area did not read erased; nothing written
    WriteStopped,     // the write stopped after the erase: the image is incomplete
  };
  Outcome outcome = Outcome::Written;
  // For Refused and WriteStopped: the whole message for the operator. For
  // EraseIncomplete: the application-level message.
  std::string message;
};

// The OS image write, as the Update Version page runs it: checks the whole
// image at `path`, erases the registry area, erases the OS image area with
// progress, makes sure SystemFlashArea reads erased, then writes the
// image's records. The page and the console show the same texts.
OsImageUpdateResult UpdateOsImage(const OsImageUpdateRoles& roles, std::string_view path);

}  // namespace talvon
