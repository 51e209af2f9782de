#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "flash/transfer_buffer.h"
#include "platform/files.h"
#include "platform/flash_window.h"
#include "platform/message_box.h"
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
// answers 0 for success and -1 for failure (the restores: an outcome that
// says whether flash was touched) and tells the operator about its failures
// itself in application message boxes (IsOsImageFile and VerifyBackupAllFile
// say nothing). Every file is closed and every buffer released on every path
// out. The saves keep the file they replace until the new one is whole when
// the card has room for both (file_replacement.h).

// The platform roles the file operations work with, for one run.
struct ImageFileContext {
  Files& files;
  FlashWindow& flash;
  AppMessageBoxes& messages;
  TransferBuffer& transfer;
};

// Copies RegistryFlashArea into a new file at `path`.
int DumpRegistryFile(const ImageFileContext& context, std::string_view path);

enum class RegistryRestore {
  Restored,
  NotRead,      // no allocation, no file or too short: the registry area is untouched
  Refused,      // not a registry the controller would boot: the registry area is untouched
  ClearFailed,  // the registry area is partly erased; the running registry can still be flushed back
  WriteFailed,  // the registry area is erased and partly written; likewise
};
// Reads the first 0xC0000 bytes of `path`, has `registry` confirm that the
// controller would boot them (or that they are a blank area), and only then
// erases RegistryFlashArea and programs it from them.
RegistryRestore RestoreRegistryFile(const ImageFileContext& context, Registry& registry, std::string_view path);
// Writes SystemFlashArea and its check bytes to a new file at `path`. Success
// is not announced: the caller does that.
int BackupAllFile(const ImageFileContext& context, std::string_view path);
// 0 when the stored check bytes match the data; -1 when they do not or the
// data is cut short. A file that cannot be opened passes, so that the open
// in RestoreAllFile reports it. Check bytes missing at the end count as 0.
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
};
// Opens the file once and reads it whole before anything is erased: it must
// be exactly SystemFlashAreaSize + 4 bytes, its check bytes must match (a
// mismatch is refused without a message) and the OS image area it carries
// must hold the ROM signature the boot looks for. Then erases SystemFlashArea
// and programs it from the file, the ROM signature last, and only when the
// data read the second time is the data checked.
RestoreAllResult RestoreAllFromBackup(const ImageFileContext& context, std::string_view path);
// The same, answering 0 when restored and -1 otherwise.
int RestoreAllFile(const ImageFileContext& context, std::string_view path);
// 1 when the file starts with the BIN signature "B000FF\n", 0 when it does
// not (or is shorter), -1 when it cannot be opened.
int IsOsImageFile(Files& files, std::string_view path);

}  // namespace talvon
