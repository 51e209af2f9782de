#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "operations/flash_files.h"
#include "operations/image_path.h"
#include "platform/flash_window.h"

namespace talvon {

inline constexpr char RegistryDumpPath[] = "\\CompactFlash\\Velmar\\Tools\\BackUp.REG";
inline constexpr char DefaultBackupPath[] = "\\CompactFlash\\T5x5x_Backup.bak";

// A backup path as the file functions take it: at most 99 characters, each
// kept as its low byte. Paths that would not survive that are refused whole
// (ImagePathProblem), never cut or altered into another file's name.
using BackupPathBuffer = ImagePathBuffer;

enum class FactoryReset {
  Erased,
  EraseFailed,  // the controller is restarted all the same
};
// Erases RegistryFlashArea, so that the next boot reads the factory registry.
FactoryReset EraseRegistryArea(FlashWindow& flash);

enum class BackupAllOutcome {
  Written,
  Failed,         // the file operation has said which step failed
  FolderMissing,  // nothing was written: the path's folder does not exist
};
BackupAllOutcome BackupAll(const ImageFileContext& context, std::string_view path);
// The folder part of a controller path ("\CompactFlash" of
// "\CompactFlash\T5x5x_Backup.bak", "\" for a file at the root, empty for a
// bare name).
std::string FolderOfPath(std::string_view path);

// Checks the file before anything is erased, so that a failure afterwards is
// known to have left the system area incomplete.
RestoreAllOutcome RestoreAll(const ImageFileContext& context, std::string_view path);

}  // namespace talvon
