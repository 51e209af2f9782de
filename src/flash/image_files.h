#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "flash/transfer_buffer.h"
#include "platform/files.h"
#include "platform/flash_window.h"
#include "platform/message_box.h"

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
// answers 0 for success and -1 for failure and tells the operator about its
// failures itself in application message boxes (IsOsImageFile and
// VerifyBackupAllFile say nothing). Every file is closed and every buffer
// released on every path out.

// The platform roles the file operations work with, for one run.
struct ImageFileContext {
  Files& files;
  FlashWindow& flash;
  AppMessageBoxes& messages;
  TransferBuffer& transfer;
};

// Copies RegistryFlashArea into a new file at `path`.
int DumpRegistryFile(const ImageFileContext& context, std::string_view path);
// Erases RegistryFlashArea and programs it from the first 0xC0000 bytes of `path`.
int RestoreRegistryFile(const ImageFileContext& context, std::string_view path);
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
// Verifies the backup first (a mismatch answers -1 silently, flash untouched),
// then erases SystemFlashArea and programs it from the file.
int RestoreAllFile(const ImageFileContext& context, std::string_view path);
// 1 when the file starts with the BIN signature "B000FF\n", 0 when it does
// not (or is shorter), -1 when it cannot be opened.
int IsOsImageFile(Files& files, std::string_view path);

}  // namespace talvon
