#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "flash/transfer_buffer.h"
#include "platform/files.h"
#include "platform/flash_window.h"
#include "platform/registry.h"

namespace talvon {

// The files that carry flash contents in and out of the controller:
//
// - Registry dump file: exactly the 0xC0000 bytes of RegistryFlashArea, no
//   header. Reading uses the first 0xC0000 bytes; a shorter file is refused.
// - Whole-system backup file: the 0x1F80000 bytes of SystemFlashArea (OS image
//   area, then registry area) followed by four check bytes c0..c3, where ck is
//   the exclusive-or of every data byte whose file offset is k modulo 4.
// - OS image file: a BIN image (see bin_image.h); here only its signature.
//
// Paths are narrow controller paths handed unchanged to Files. Each operation
// answers what happened, with the step that failed; it says nothing to the
// operator: the caller words it (operations/flash_files.h). Every file is
// closed and every buffer released on every path out. The saves keep the file
// they replace until the new one is whole when the card has room for both
// (file_replacement.h).

// The platform roles the file operations work with, for one run.
struct FlashFileRoles {
  Files& files;
  FlashWindow& flash;
  TransferBuffer& transfer;
};

// What the flash work is called while a file operation runs.
inline constexpr char DumpingRegistryWork[] = "Dumping the registry";
inline constexpr char RestoringRegistryWork[] = "Restoring the registry";
inline constexpr char BackingUpSystemWork[] = "Backing up the whole system";
inline constexpr char RestoringSystemWork[] = "Restoring the whole system";

// The step a file operation failed at.
enum class FileFault {
  None,
  NoMemory,          // no buffer for the data
  CannotOpen,        // the file cannot be opened or created
  ReadFlashFailed,   // the flash could not be read
  WriteFileFailed,   // a write to the file, or its closing flush, failed
  WriteCheckFailed,  // the check bytes could not be written
  ReplaceFailed,     // the new file could not take the old one's place
  ReadFileFailed,    // the file could not be read
  WrongSize,         // `size` holds its length, -1 when it cannot be told
  ReadCheckFailed,   // the check bytes could not be read, or the file grew
  NoOsImage,         // the OS image area carries no ROM signature
  Unbootable,        // not a registry the controller would boot: `reason` says why
  ClearFailed,       // the flash area did not erase
  WriteFlashFailed,  // the flash area did not program
};
struct FileOutcome {
  FileFault fault = FileFault::None;
  std::int64_t size = 0;
  std::string reason;
};

// Copies RegistryFlashArea into a new file at `path`.
FileOutcome DumpRegistry(const FlashFileRoles& roles, std::string_view path);

enum class RegistryRestore {
  Restored,
  NotRead,      // no allocation, no file or too short: the registry area is untouched
  Refused,      // not a registry the controller would boot: the registry area is untouched
  ClearFailed,  // the registry area is partly erased; the running registry can still be flushed back
  WriteFailed,  // the registry area is erased and partly written; likewise
};
struct RegistryRestoreResult {
  RegistryRestore outcome = RegistryRestore::NotRead;
  FileOutcome what;
};
// Reads the first 0xC0000 bytes of `path`, has `registry` confirm that the
// controller would boot them (or that they are a blank area), and only then
// erases RegistryFlashArea and programs it from them.
RegistryRestoreResult RestoreRegistry(const FlashFileRoles& roles, Registry& registry, std::string_view path);
// Writes SystemFlashArea and its check bytes to a new file at `path`.
FileOutcome WriteBackupFile(const FlashFileRoles& roles, std::string_view path);
// 0 when the stored check bytes match the data; -1 when they do not or the
// data is cut short. A file that cannot be opened passes, so that the open
// in the restore reports it. Check bytes missing at the end count as 0.
int VerifyBackupAllFile(Files& files, TransferBuffer& transfer, std::string_view path);
// The check itself on an open stream: `dataSize` data bytes (SystemFlashAreaSize
// for a backup) read through `scratch`, then the check bytes.
int VerifyBackupStream(FileStream& file, std::span<std::uint8_t> scratch, std::uint32_t dataSize);

enum class RestoreAllOutcome {
  Restored,    // the whole system area holds the backup
  Refused,     // nothing was erased: the flash is as it was
  Incomplete,  // it failed after the system area began to be erased
};
enum class RestoreAllRefusal { None, CannotOpen, WrongSize, CheckBytes, NoOsImage };
struct RestoreAllResult {
  RestoreAllOutcome outcome = RestoreAllOutcome::Refused;
  RestoreAllRefusal refusal = RestoreAllRefusal::None;
  // The step that failed; None for a check-byte mismatch, and for data that
  // changed between the check and the write.
  FileOutcome what;
};
// Opens the file once and reads it whole before anything is erased: it must
// be exactly SystemFlashAreaSize + 4 bytes, its check bytes must match and
// the OS image area it carries must hold the ROM signature the boot looks
// for. Then erases SystemFlashArea and programs it from the file, the ROM
// signature last, and only when the data read the second time is the data
// checked.
RestoreAllResult RestoreFromBackupFile(const FlashFileRoles& roles, std::string_view path);
// 1 when the file starts with the BIN signature "B000FF\n", 0 when it does
// not (or is shorter), -1 when it cannot be opened.
int IsOsImageFile(Files& files, std::string_view path);

}  // namespace talvon
