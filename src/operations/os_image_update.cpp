#include "operations/os_image_update.h"

#include <cstdio>
#include <memory>

#include "flash/bin_image.h"
#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "operations/system_texts.h"

namespace talvon {

using namespace system_texts;

namespace {

std::string StoppedMessage(const OsImageWriteResult& written) {
  char detail[160];
  const BinRecord& record = written.record;
  switch (written.outcome) {
    case OsImageWriteResult::Outcome::ProgramFailed:
      std::snprintf(detail, sizeof detail, kRecordNotProgrammed, record.number, record.flashAddress,
                    OsImageProgramAttempts);
      break;
    case OsImageWriteResult::Outcome::NoMemory:
      std::snprintf(detail, sizeof detail, kNoRecordMemory, record.number, record.length);
      break;
    default:
      std::snprintf(detail, sizeof detail, "%s", written.problem.c_str());
      break;
  }
  return std::string(kWriteStoppedLead) + detail + kNotRestarted;
}

}  // namespace

OsImageUpdateResult UpdateOsImage(const OsImageUpdateRoles& roles, std::string_view path) {
  using Outcome = OsImageUpdateResult::Outcome;
  // Nothing else reaches the flash, and nothing reboots, until the write
  // ends; the caller restarts the controller after that.
  const FlashWorkScope work(roles.flash.Work(), kWritingOsImage);
  // The whole image is checked before anything is erased: a file that would
  // stop the write half way leaves the controller as it was.
  std::unique_ptr<FileStream> file = roles.files.Open(path, "rb");
  const OsImageCheck check = file ? ValidateOsImage(*file, roles.transfer) : OsImageCheck{};
  if (!check.valid) {
    const std::string why = file ? check.problem : kCannotOpenImage;
    return {Outcome::Refused, std::string(kImageRefusedLead) + why + kFlashUntouched};
  }
  // Blocks that cross an edge of the areas would take flash outside them
  // (the leading area, or OS and registry each other's): refused whole.
  FlashGeometry geometry;
  if (QueryFlashGeometry(roles.flash, FlashWindowBase, &geometry) &&
      (!FlashBlocksLineUp(roles.flash, FlashWindowBase, OsImageFlashArea, OsImageFlashAreaSize) ||
       !FlashBlocksLineUp(roles.flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize))) {
    return {Outcome::Refused, kBlocksCrossAreas};
  }

  if (!EraseFlashRange(roles.flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize)) {
    roles.host.ShowError(kRegistryClearFailed);
  }
  roles.host.FlashWorkStarts();

  const OsImageFlashRoles flashRoles{roles.flash, roles.clock, roles.host};
  if (EraseOsAreaWithProgress(flashRoles) == OsAreaErase::NoFlashInfo) roles.host.ShowError(kNoFlashInfo);
  if (CountUnerasedBytes(roles.flash, roles.transfer) != 0) return {Outcome::EraseIncomplete, kEraseCheckFailed};

  const OsImageWriteResult written = WriteOsImageRecords(flashRoles, *file);
  if (written.outcome == OsImageWriteResult::Outcome::Written) return {};
  // A half-written image must not be booted: the caller says so and does not restart.
  return {Outcome::WriteStopped, StoppedMessage(written)};
}

}  // namespace talvon
