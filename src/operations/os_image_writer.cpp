#include "operations/os_image_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "flash/os_image_version.h"
#include "operations/system_texts.h"

namespace talvon {
namespace {

// Bytes of [data, data + n) other than 0xFF. An erased area is the common
// case, so whole erased words are passed over eight bytes at a time.
std::uint64_t CountNotErased(const std::uint8_t* data, std::size_t n) {
  const auto notErased = [](std::uint8_t byte) { return byte != 0xFF; };
  std::uint64_t count = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + i, 8);
    if (word != ~std::uint64_t{0}) count += static_cast<std::uint64_t>(std::count_if(data + i, data + i + 8, notErased));
  }
  return count + static_cast<std::uint64_t>(std::count_if(data + i, data + n, notErased));
}

constexpr std::uint32_t kPaceMs = 5;
constexpr std::uint32_t kIntelCommandSet = 1;
constexpr std::uint32_t kAmdCommandSet = 2;

std::string ProgressLine(const char* format, std::uint32_t percent) {
  char line[80];
  std::snprintf(line, sizeof line, format, percent, '%');
  return line;
}

// One turn for the window between two short waits, so the status line and
// the progress bar repaint while the flash work blocks the thread.
void Pace(const OsImageFlashRoles& roles) {
  roles.clock.Sleep(kPaceMs);
  roles.progress.PumpOneMessage();
  roles.clock.Sleep(kPaceMs);
}

void ShowProgress(const OsImageFlashRoles& roles, const std::string& line, std::uint32_t percent) {
  roles.progress.SetStatusText(line);
  roles.progress.SetProgressPos(static_cast<int>(percent));
  Pace(roles);
}

}  // namespace

std::string EraseProgressLine(std::uint32_t percent) { return ProgressLine(system_texts::kEraseLineFormat, percent); }

std::string WriteProgressLine(std::uint32_t percent) { return ProgressLine(system_texts::kWriteLineFormat, percent); }

OsAreaErase EraseOsAreaWithProgress(const OsImageFlashRoles& roles) {
  FlashWindow& flash = roles.flash;
  roles.progress.SetProgressStep(1);
  roles.progress.SetProgressRange(0, 100);
  FlashGeometry g;
  std::uint32_t bankBase = FlashWindowBase;
  if (!QueryFlashGeometry(flash, bankBase, &g)) return OsAreaErase::NoFlashInfo;
  if (!FlashBlocksLineUp(flash, FlashWindowBase, OsImageFlashArea, OsImageFlashAreaSize)) {
    return OsAreaErase::BlocksCrossArea;
  }
  std::uint64_t block = bankBase;
  for (;;) {
    for (std::uint32_t r = 0; r < g.regionCount; ++r) {
      const std::uint64_t span = std::uint64_t{g.chips} * g.blockSize[r];
      if (span == 0) return OsAreaErase::Stopped;
      for (std::uint32_t b = 0; b < g.blockCount[r]; ++b) {
        // Counted from the flash base: the blocks before the area show too.
        const auto percent = static_cast<std::uint32_t>((block - FlashWindowBase) * 100 / OsImageFlashAreaSize);
        ShowProgress(roles, EraseProgressLine(percent), percent);
        const std::uint64_t blockEnd = block + span;
        if (blockEnd > OsImageFlashArea) {
          if (block < OsImageFlashArea || blockEnd > RegistryFlashArea) return OsAreaErase::BlocksCrossArea;
          const auto at = static_cast<std::uint32_t>(block);
          int erased = 0;
          if (g.commandSet == kIntelCommandSet) {
            erased = EraseBlockIntel(flash, bankBase, at, g);
          } else if (g.commandSet == kAmdCommandSet) {
            erased = EraseBlockAmd(flash, bankBase, at, g);
          }
          if (!erased) return OsAreaErase::Stopped;
        }
        block = blockEnd;
        if (block >= RegistryFlashArea) return OsAreaErase::Erased;
      }
    }
    // Past the last block of this bank: the next bank answers here, or
    // there is no more flash. A table without regions would ask here again.
    if (g.regionCount == 0 || block > 0xFFFFFFFFull) return OsAreaErase::Stopped;
    bankBase = static_cast<std::uint32_t>(block);
    if (!QueryFlashGeometry(flash, bankBase, &g)) return OsAreaErase::Stopped;
  }
}

std::uint64_t CountUnerasedBytes(FlashWindow& flash, TransferBuffer& transfer) {
  std::uint64_t unerased = 0;
  for (std::uint32_t offset = 0; offset < SystemFlashAreaSize;) {
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(transfer.size(), SystemFlashAreaSize - offset));
    if (!ReadFlashRange(flash, FlashWindowBase, SystemFlashArea + offset, n, transfer.data())) {
      unerased += n;
    } else {
      unerased += CountNotErased(transfer.data(), n);
    }
    offset += n;
  }
  return unerased;
}

OsImageWriteResult WriteOsImageRecords(const OsImageFlashRoles& roles, FileStream& file) {
  OsImageWriteResult result;
  const auto fileFailed = [&result](std::string problem) {
    result.outcome = OsImageWriteResult::Outcome::FileFailed;
    result.problem = std::move(problem);
    return result;
  };
  roles.progress.SetProgressRange(0, 100);
  BinImageReader reader(file);
  if (!reader.ReadHeader()) return fileFailed(reader.problem());
  const std::uint32_t imageLength = reader.header().imageLength;

  std::uint64_t bytesWritten = 0;
  std::uint8_t signature[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  for (;;) {
    BinRecord& record = result.record;
    const BinStep step = reader.NextRecord(&record);
    if (step == BinStep::End) break;
    if (step == BinStep::Failed) return fileFailed(reader.problem());

    // Each record through a buffer of its own size (the reader bounds it by the area).
    std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[std::max<std::uint32_t>(record.length, 1)]);
    if (!data) {
      result.outcome = OsImageWriteResult::Outcome::NoMemory;
      return result;
    }
    if (reader.ReadData(data.get(), record.length) < record.length) return fileFailed(reader.problem());
    if (reader.dataSum() != record.checksum) {
      char problem[120];
      std::snprintf(problem, sizeof problem, "Record %u checksum mismatch: stored 0x%08X, computed 0x%08X.",
                    record.number, record.checksum, reader.dataSum());
      return fileFailed(problem);
    }

    // The ROM signature is held back and programmed last, so that a write
    // cut short (power, a failing cell, a file gone) leaves an image the
    // controller refuses to boot rather than half an OS it starts.
    const std::uint32_t areaOffset = record.flashAddress - OsImageFlashArea;
    for (std::uint32_t k = 0; k < 4; ++k) {
      const std::uint32_t at = OsRomSignatureOffset + k;
      if (at >= areaOffset && at - areaOffset < record.length) {
        signature[k] = data[at - areaOffset];
        data[at - areaOffset] = 0xFF;
      }
    }

    bytesWritten += record.length;
    const auto percent = static_cast<std::uint32_t>(bytesWritten * 100 / imageLength);
    ShowProgress(roles, WriteProgressLine(percent), percent);

    bool programmed = false;
    for (int attempt = 0; attempt < OsImageProgramAttempts && !programmed; ++attempt) {
      programmed = ProgramFlashRange(roles.flash, FlashWindowBase, record.flashAddress, record.length, data.get()) == 1;
    }
    if (!programmed) {
      roles.progress.SetStatusText(system_texts::kFlashFailedStatus);
      result.outcome = OsImageWriteResult::Outcome::ProgramFailed;
      return result;
    }
  }

  bool signatureWritten = false;
  for (int attempt = 0; attempt < OsImageProgramAttempts && !signatureWritten; ++attempt) {
    signatureWritten = ProgramFlashRange(roles.flash, FlashWindowBase, OsImageFlashArea + OsRomSignatureOffset,
                                sizeof signature, signature) == 1;
  }
  if (!signatureWritten) {
    roles.progress.SetStatusText(system_texts::kFlashFailedStatus);
    result.outcome = OsImageWriteResult::Outcome::ProgramFailed;
    result.record.flashAddress = OsImageFlashArea + OsRomSignatureOffset;
    return result;
  }
  ShowProgress(roles, WriteProgressLine(100), 100);
  return result;
}

}  // namespace talvon
