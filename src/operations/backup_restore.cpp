#include "operations/backup_restore.h"

#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "platform/errors.h"

namespace talvon {

FactoryReset EraseRegistryArea(FlashWindow& flash) {
  return EraseFlashRange(flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize) ? FactoryReset::Erased
                                                                                           : FactoryReset::EraseFailed;
}

std::string FolderOfPath(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string_view::npos) return {};
  return cut == 0 ? std::string(1, path[0]) : std::string(path.substr(0, cut));
}

BackupAllOutcome BackupAll(const ImageFileContext& context, std::string_view path) {
  // A folder that is not there is named to the operator once, by the page;
  // the file operation would only say that the file cannot be opened.
  if (!context.files.FindFirstFile(path, nullptr) && context.files.GetLastError() == ERROR_PATH_NOT_FOUND) {
    return BackupAllOutcome::FolderMissing;
  }
  return BackupAllFile(context, path) == 0 ? BackupAllOutcome::Written : BackupAllOutcome::Failed;
}

RestoreAllOutcome RestoreAll(const ImageFileContext& context, std::string_view path) {
  return RestoreAllFromBackup(context, path).outcome;
}

}  // namespace talvon
