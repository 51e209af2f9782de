#include "pages/general/backup_restore.h"

#include "flash/flash_areas.h"
#include "flash/flash_device.h"

namespace talvon {

FactoryReset EraseRegistryArea(FlashWindow& flash) {
  return EraseFlashRange(flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize) ? FactoryReset::Erased
                                                                                           : FactoryReset::EraseFailed;
}

BackupAllOutcome BackupAll(const ImageFileContext& context, std::string_view path) {
  return BackupAllFile(context, path) == 0 ? BackupAllOutcome::Written : BackupAllOutcome::Failed;
}

RestoreAllOutcome RestoreAll(const ImageFileContext& context, std::string_view path) {
  const bool opens = context.files.Open(path, "rb") != nullptr;
  if (!opens || VerifyBackupAllFile(context.files, context.transfer, path) != 0) {
    // Nothing is erased on either path; the file operation says why it cannot open.
    if (!opens) RestoreAllFile(context, path);
    return RestoreAllOutcome::Refused;
  }
  return RestoreAllFile(context, path) == 0 ? RestoreAllOutcome::Restored : RestoreAllOutcome::Incomplete;
}

}  // namespace talvon
