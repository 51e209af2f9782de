#pragma once
#include <string_view>

#include "flash/image_files.h"
#include "platform/message_box.h"
#include "platform/registry.h"

namespace talvon {

// The flash file operations (flash/image_files.h) as the operator hears of
// them: each runs the operation and words what it answers in application
// message boxes, the texts of operations/system_texts.h. The pages and the
// recovery console both go through these, so they say the same.
struct ImageFileContext {
  Files& files;
  FlashWindow& flash;
  AppMessageBoxes& messages;
  TransferBuffer& transfer;
};

// Copies RegistryFlashArea into a new file at `path` and says how it went
// (success too). 0 when written, -1 otherwise.
int DumpRegistryFile(const ImageFileContext& context, std::string_view path);
// RestoreRegistry, saying how it went (success too).
RegistryRestore RestoreRegistryFile(const ImageFileContext& context, Registry& registry, std::string_view path);
// WriteBackupFile, saying why it failed; success is left to the caller. 0
// when written, -1 otherwise.
int BackupAllFile(const ImageFileContext& context, std::string_view path);
// RestoreFromBackupFile, saying why it failed (a check-byte mismatch is
// refused without a word); success is left to the caller.
RestoreAllResult RestoreAllFromBackup(const ImageFileContext& context, std::string_view path);
// The same, answering 0 when restored and -1 otherwise.
int RestoreAllFile(const ImageFileContext& context, std::string_view path);

}  // namespace talvon
