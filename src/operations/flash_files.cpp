#include "operations/flash_files.h"

#include <cstdio>
#include <string>

#include "flash/flash_areas.h"
#include "flash/os_image_version.h"
#include "operations/system_texts.h"
#include "platform/flash_work.h"

namespace talvon {

using namespace system_texts;

namespace {

FlashFileRoles Roles(const ImageFileContext& context) { return {context.files, context.flash, context.transfer}; }

void Stop(const ImageFileContext& context, const std::string& text) {
  context.messages.AppMessageBox(text, MB_ICONSTOP);
}

std::string DumpText(FileFault fault) {
  switch (fault) {
    case FileFault::NoMemory: return kCantAlloc;
    case FileFault::CannotOpen: return kDumpCantOpen;
    case FileFault::ReadFlashFailed: return kDumpReadFlashFailed;
    case FileFault::ReplaceFailed: return kDumpReplaceFailed;
    default: return kDumpWriteFileFailed;
  }
}

std::string RegistryRestoreText(const FileOutcome& what) {
  switch (what.fault) {
    case FileFault::NoMemory: return kCantAlloc;
    case FileFault::CannotOpen: return kRegistryRestoreCantOpen;
    case FileFault::Unbootable: return kRegistryRestoreRefusedLead + what.reason + ").";
    case FileFault::ClearFailed: return kRegistryRestoreClearFailed;
    case FileFault::WriteFlashFailed: return kRegistryRestoreWriteFlashFailed;
    default: return kRegistryRestoreReadFileFailed;
  }
}

std::string BackupText(FileFault fault) {
  switch (fault) {
    case FileFault::CannotOpen: return kBackupCantOpen;
    case FileFault::ReadFlashFailed: return kBackupReadFlashFailed;
    case FileFault::WriteCheckFailed: return kBackupWriteCheckFailed;
    case FileFault::ReplaceFailed: return kBackupReplaceFailed;
    default: return kBackupWriteFileFailed;
  }
}

std::string RestoreAllText(const FileOutcome& what) {
  char text[160];
  switch (what.fault) {
    case FileFault::CannotOpen: return kRestoreCantOpen;
    case FileFault::WrongSize:
      if (what.size < 0) return kRestoreSizeUnknown;
      std::snprintf(text, sizeof text, kRestoreWrongSizeFormat, static_cast<long long>(what.size),
                    static_cast<unsigned long long>(std::uint64_t{SystemFlashAreaSize} + 4));
      return text;
    case FileFault::ReadCheckFailed: return kRestoreCheckReadFailed;
    case FileFault::NoOsImage:
      std::snprintf(text, sizeof text, kRestoreNoOsImageFormat, OsImageFlashArea + OsRomSignatureOffset);
      return text;
    case FileFault::ClearFailed: return kRestoreClearFailed;
    case FileFault::WriteFlashFailed: return kRestoreWriteFlashFailed;
    default: return kRestoreReadFileFailed;
  }
}

}  // namespace

// Each says its piece inside the operation's flash work, as the operation
// itself ran it, so the panel shows the box while the work still holds.

int DumpRegistryFile(const ImageFileContext& context, std::string_view path) {
  const FlashWorkScope work(context.flash.Work(), DumpingRegistryWork);
  const FileOutcome what = DumpRegistry(Roles(context), path);
  if (what.fault != FileFault::None) {
    Stop(context, DumpText(what.fault));
    return -1;
  }
  context.messages.AppMessageBox(kDumpDone, MB_ICONINFORMATION);
  return 0;
}

RegistryRestore RestoreRegistryFile(const ImageFileContext& context, Registry& registry, std::string_view path) {
  const FlashWorkScope work(context.flash.Work(), RestoringRegistryWork);
  const RegistryRestoreResult result = RestoreRegistry(Roles(context), registry, path);
  if (result.outcome == RegistryRestore::Restored) {
    context.messages.AppMessageBox(kRegistryRestoreDone, MB_ICONINFORMATION);
  } else {
    Stop(context, RegistryRestoreText(result.what));
  }
  return result.outcome;
}

int BackupAllFile(const ImageFileContext& context, std::string_view path) {
  const FlashWorkScope work(context.flash.Work(), BackingUpSystemWork);
  const FileOutcome what = WriteBackupFile(Roles(context), path);
  if (what.fault == FileFault::None) return 0;
  Stop(context, BackupText(what.fault));
  return -1;
}

RestoreAllResult RestoreAllFromBackup(const ImageFileContext& context, std::string_view path) {
  const FlashWorkScope work(context.flash.Work(), RestoringSystemWork);
  RestoreAllResult result = RestoreFromBackupFile(Roles(context), path);
  if (result.what.fault != FileFault::None) Stop(context, RestoreAllText(result.what));
  return result;
}

int RestoreAllFile(const ImageFileContext& context, std::string_view path) {
  return RestoreAllFromBackup(context, path).outcome == RestoreAllOutcome::Restored ? 0 : -1;
}

}  // namespace talvon
