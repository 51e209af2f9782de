#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "flash/bin_image.h"
#include "flash/transfer_buffer.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/flash_window.h"

namespace talvon {

// What the OS image write shows while it runs: the status line, the
// progress bar, and one turn for a waiting window message now and then so
// both repaint. The update page shows it in its controls; tests record it.
class OsImageProgress {
 public:
  virtual ~OsImageProgress() = default;
  virtual void SetStatusText(std::string_view line) = 0;
  virtual void SetProgressStep(int step) = 0;                  // PBM_SETSTEP
  virtual void SetProgressRange(int minimum, int maximum) = 0;  // PBM_SETRANGE32
  virtual void SetProgressPos(int position) = 0;               // PBM_SETPOS
  // Dispatches at most one waiting window message; never waits.
  virtual void PumpOneMessage() = 0;
};

// The roles the erase and write loops work with.
struct OsImageFlashRoles {
  FlashWindow& flash;
  Clock& clock;
  OsImageProgress& progress;
};

// The status lines, as the operator reads them.
std::string EraseProgressLine(std::uint32_t percent);  // "Now Erase Flash Memory --> 37% done"
std::string WriteProgressLine(std::uint32_t percent);  // "Now Write Flash Memory --> 37% done"

enum class OsAreaErase {
  Erased,       // every block overlapping OsImageFlashArea was erased
  NoFlashInfo,  // no CFI answer at the flash base: nothing erased
  Stopped,      // a block did not erase, an unknown command set, or a bank without an answer
  BlocksCrossArea,  // a block reaches past an edge of the area: nothing erased
};

// Erases every block that overlaps OsImageFlashArea, walking the blocks
// from the flash base in CFI order (bank after bank) and showing a line for
// each one, counted from the flash base: the blocks before the area show
// 0% and 1% and are not erased, the last ones can show 100% or 101%. Stops
// before RegistryFlashArea. A layout with a block reaching past either edge
// of the area (chips with blocks larger than the leading 512 KiB, say) is
// refused before any block is erased: what lies outside the area is never
// erased here.
OsAreaErase EraseOsAreaWithProgress(const OsImageFlashRoles& roles);

// Bytes of SystemFlashArea that do not read 0xFF, read through the
// transfer buffer a piece at a time. A piece that cannot be read counts whole.
std::uint64_t CountUnerasedBytes(FlashWindow& flash, TransferBuffer& transfer);

// Programs of one record before the write gives up on it.
inline constexpr int OsImageProgramAttempts = 6;

struct OsImageWriteResult {
  enum class Outcome {
    Written,        // every record programmed; the final 100% line is shown
    FileFailed,     // the file broke off or changed: `problem` says how
    NoMemory,       // no buffer for a record
    ProgramFailed,  // `record` did not program in OsImageProgramAttempts tries
  };
  Outcome outcome = Outcome::Written;
  std::string problem;
  BinRecord record;  // the record the write stopped at
};

// Writes the BIN image in `file` (from its start) into the erased
// OsImageFlashArea record by record, each through a buffer of its own size:
// after reading and checking a record it shows the cumulative percentage of
// the image length, gives the window a turn between two 5 ms waits, then
// programs the record, trying up to six times. Every record lands inside
// OsImageFlashArea whatever the file holds (the reader sees to that). A
// record that will not program leaves "ERROR: Flash failed" on the status
// line and ends the write.
OsImageWriteResult WriteOsImageRecords(const OsImageFlashRoles& roles, FileStream& file);

}  // namespace talvon
