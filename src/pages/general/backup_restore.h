#pragma once
#include <string_view>

#include "flash/image_files.h"
#include "pages/update/image_path.h"
#include "platform/flash_window.h"

namespace talvon {

inline constexpr char RegistryDumpPath[] = "\\CompactFlash\\Velmar\\Tools\\BackUp.REG";
inline constexpr char DefaultBackupPath[] = "\\CompactFlash\\T5x5x_Backup.bak";
inline constexpr char ActiveXScript[] = "\\compactflash\\Vantro-I\\Lumex\\RegistryOCX.bat";
inline constexpr char RegionalSettingsApplet[] = "\\Windows\\intll.cpl";

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

enum class BackupAllOutcome { Written, Failed };
BackupAllOutcome BackupAll(const ImageFileContext& context, std::string_view path);

enum class RestoreAllOutcome {
  Restored,    // the whole system area holds the backup
  Refused,     // the file could not be opened or its check bytes are wrong: flash untouched
  Incomplete,  // it failed after the system area began to be erased
};
// Checks the file before anything is erased, so that a failure afterwards is
// known to have left the system area incomplete.
RestoreAllOutcome RestoreAll(const ImageFileContext& context, std::string_view path);

}  // namespace talvon
