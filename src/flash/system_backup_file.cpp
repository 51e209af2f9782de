// Whole-system backup file: SystemFlashArea followed by four check bytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "flash/flash_areas.h"
#include "flash/file_replacement.h"
#include "flash/flash_device.h"
#include "flash/image_files.h"
#include "flash/os_image_version.h"

namespace talvon {
namespace {

constexpr char kBackupCantOpen[] = "ERROR: Can't open File.";
constexpr char kBackupReadFlashFailed[] = "ERROR: All system read file failed.";
constexpr char kBackupWriteFileFailed[] = "ERROR: All system write dumpfile failed.";
constexpr char kBackupWriteCheckFailed[] = "ERROR: write CheckSUM to dumpfile failed.";
constexpr char kRestoreCantOpen[] = "ERROR: Can't open this file!!";
constexpr char kRestoreClearFailed[] = "ERROR: Allsystem clear failed.";
constexpr char kRestoreReadFileFailed[] = "ERROR: AllSystem read failed.";
constexpr char kRestoreWriteFlashFailed[] = "ERROR: Allsystem write flash failed.";
constexpr char kRestoreCheckReadFailed[] = "ERROR: CheckSUM read failed.";
constexpr char kBackupReplaceFailed[] = "ERROR: Can't replace the old backup file.";
constexpr char kRestoreSizeUnknown[] = "ERROR: Can't read the size of this file!!";
constexpr char kRestoreWrongSizeFormat[] = "ERROR: This file is %lld bytes long, a backup file is %llu bytes.";
constexpr char kRestoreNoOsImageFormat[] =
    "ERROR: No OS image in this file, the talvon could not boot it (no ROM signature at 0x%08X).";

constexpr std::size_t kCheckByteCount = 4;
constexpr std::uint64_t BackupFileSize = std::uint64_t{SystemFlashAreaSize} + kCheckByteCount;

// Check byte k is the exclusive-or of the data bytes at offsets k mod 4: the
// exclusive-or of the data's little-endian 32-bit words. Pieces are folded in
// as they pass; each starts at an offset divisible by 4.
class BackupCheckBytes {
 public:
  void Fold(const std::uint8_t* data, std::size_t count) {
    std::size_t i = 0;
    std::uint64_t wide = 0;
    for (; i + 8 <= count; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, data + i, sizeof word);
      wide ^= word;
    }
    std::uint8_t lanes[8];
    std::memcpy(lanes, &wide, sizeof lanes);  // back to bytes in memory order
    for (std::size_t k = 0; k < kCheckByteCount; ++k) bytes_[k] ^= lanes[k] ^ lanes[k + 4];
    for (; i < count; ++i) bytes_[i % kCheckByteCount] ^= data[i];
  }
  bool Matches(const std::uint8_t* stored) const { return std::memcmp(stored, bytes_, kCheckByteCount) == 0; }
  const std::uint8_t* bytes() const { return bytes_; }

 private:
  std::uint8_t bytes_[kCheckByteCount] = {};
};

std::uint32_t PieceAt(std::uint32_t offset, const TransferBuffer& transfer) {
  return static_cast<std::uint32_t>(std::min<std::size_t>(transfer.size(), SystemFlashAreaSize - offset));
}

int Fail(const ImageFileContext& context, const char* text) {
  context.messages.AppMessageBox(text, MB_ICONSTOP);
  return -1;
}

}  // namespace

int BackupAllFile(const ImageFileContext& context, std::string_view path) {
  const FlashWorkScope work(context.flash.Work(), "Backing up the whole system");
  FileReplacement replacement(context.files, path, BackupFileSize);
  FileStream* file = replacement.Open();
  if (!file) return Fail(context, kBackupCantOpen);
  BackupCheckBytes check;
  for (std::uint32_t offset = 0; offset < SystemFlashAreaSize;) {
    const std::uint32_t n = PieceAt(offset, context.transfer);
    context.flash.Work().GoesOn();
    if (!ReadFlashRange(context.flash, FlashWindowBase, SystemFlashArea + offset, n, context.transfer.data())) {
      return Fail(context, kBackupReadFlashFailed);
    }
    check.Fold(context.transfer.data(), n);
    if (file->Write(context.transfer.data(), n) != n) return Fail(context, kBackupWriteFileFailed);
    offset += n;
  }
  if (file->Write(check.bytes(), kCheckByteCount) != kCheckByteCount) return Fail(context, kBackupWriteCheckFailed);
  // Whatever was still buffered must reach the card, or the backup is incomplete.
  switch (replacement.Commit()) {
    case FileReplacement::Finish::Done:
      return 0;
    case FileReplacement::Finish::CloseFailed:
      return Fail(context, kBackupWriteFileFailed);
    case FileReplacement::Finish::ReplaceFailed:
      return Fail(context, kBackupReplaceFailed);
  }
  return -1;
}

int VerifyBackupStream(FileStream& file, std::span<std::uint8_t> scratch, std::uint32_t dataSize) {
  // Pieces are folded as if each started at an offset divisible by 4, so
  // they must be whole words, whatever scratch the caller has.
  const std::size_t piece = scratch.size() & ~std::size_t{3};
  if (piece == 0) return -1;
  BackupCheckBytes check;
  for (std::uint32_t offset = 0; offset < dataSize;) {
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(piece, dataSize - offset));
    if (file.Read(scratch.data(), n) != n) return -1;
    check.Fold(scratch.data(), n);
    offset += n;
  }
  std::uint8_t stored[kCheckByteCount] = {};  // bytes missing at the end count as 0
  file.Read(stored, kCheckByteCount);
  return check.Matches(stored) ? 0 : -1;
}

int VerifyBackupAllFile(Files& files, TransferBuffer& transfer, std::string_view path) {
  auto file = files.Open(path, "rb");
  if (!file) return 0;  // RestoreAllFile's own open reports it
  return VerifyBackupStream(*file, transfer.span(), SystemFlashAreaSize);
}

namespace {

RestoreAllResult Refused(RestoreAllRefusal why) { return {RestoreAllOutcome::Refused, why}; }
RestoreAllResult RefusedSaying(const ImageFileContext& context, RestoreAllRefusal why, const std::string& text) {
  Fail(context, text.c_str());
  return Refused(why);
}
RestoreAllResult Incomplete(const ImageFileContext& context, const char* text) {
  if (text != nullptr) Fail(context, text);
  return {RestoreAllOutcome::Incomplete, RestoreAllRefusal::None};
}

std::string WrongSizeText(std::int64_t size) {
  if (size < 0) return kRestoreSizeUnknown;
  char text[120];
  std::snprintf(text, sizeof text, kRestoreWrongSizeFormat, static_cast<long long>(size),
                static_cast<unsigned long long>(BackupFileSize));
  return text;
}

std::string NoOsImageText() {
  char text[120];
  std::snprintf(text, sizeof text, kRestoreNoOsImageFormat, OsImageFlashArea + OsRomSignatureOffset);
  return text;
}

// What the first read of a backup found: its check bytes and the start of
// the OS image area it carries.
struct BackupContents {
  std::uint8_t stored[kCheckByteCount] = {};
  std::uint8_t head[OsRomSignatureOffset + 4] = {};
};

// Reads the whole file once, before anything is erased: exactly the data and
// four check bytes, the check bytes matching, and an OS image the controller
// boots. A refusal has shown its reason (a check-byte mismatch is silent).
RestoreAllRefusal CheckWholeBackup(const ImageFileContext& context, FileStream& file, BackupContents* contents) {
  std::int64_t size = -1;
  if (file.Seek(0, SEEK_END) == 0) size = file.Tell();
  if (size != static_cast<std::int64_t>(BackupFileSize) || file.Seek(0, SEEK_SET) != 0) {
    Fail(context, WrongSizeText(size).c_str());
    return RestoreAllRefusal::WrongSize;
  }
  BackupCheckBytes check;
  for (std::uint32_t offset = 0; offset < SystemFlashAreaSize;) {
    const std::uint32_t n = PieceAt(offset, context.transfer);
    context.flash.Work().GoesOn();
    if (file.Read(context.transfer.data(), n) != n) {
      Fail(context, kRestoreReadFileFailed);
      return RestoreAllRefusal::WrongSize;
    }
    check.Fold(context.transfer.data(), n);
    if (offset == 0) std::memcpy(contents->head, context.transfer.data(), sizeof contents->head);
    offset += n;
  }
  std::uint8_t beyond = 0;
  if (file.Read(contents->stored, kCheckByteCount) != kCheckByteCount || file.Read(&beyond, 1) != 0) {
    Fail(context, kRestoreCheckReadFailed);  // the file changed size while it was read
    return RestoreAllRefusal::WrongSize;
  }
  if (!check.Matches(contents->stored)) return RestoreAllRefusal::CheckBytes;
  if (!OsAreaHoldsImage(contents->head)) {
    Fail(context, NoOsImageText().c_str());
    return RestoreAllRefusal::NoOsImage;
  }
  return RestoreAllRefusal::None;
}

}  // namespace

RestoreAllResult RestoreAllFromBackup(const ImageFileContext& context, std::string_view path) {
  const FlashWorkScope work(context.flash.Work(), "Restoring the whole system");
  auto file = context.files.Open(path, "rb");
  if (!file) return RefusedSaying(context, RestoreAllRefusal::CannotOpen, kRestoreCantOpen);
  BackupContents checked;
  if (const RestoreAllRefusal why = CheckWholeBackup(context, *file, &checked); why != RestoreAllRefusal::None) {
    return Refused(why);
  }
  if (file->Seek(0, SEEK_SET) != 0) {
    return RefusedSaying(context, RestoreAllRefusal::CannotOpen, kRestoreReadFileFailed);
  }
  if (!EraseFlashRange(context.flash, FlashWindowBase, SystemFlashArea, SystemFlashAreaSize)) {
    return Incomplete(context, kRestoreClearFailed);
  }
  BackupCheckBytes check;
  // The ROM signature goes in last: a restore cut short leaves a controller
  // that asks to be recovered instead of booting half a system.
  std::uint8_t head[OsRomSignatureOffset + 4];
  for (std::uint32_t offset = 0; offset < SystemFlashAreaSize;) {
    const std::uint32_t n = PieceAt(offset, context.transfer);
    context.flash.Work().GoesOn();
    if (file->Read(context.transfer.data(), n) != n) return Incomplete(context, kRestoreReadFileFailed);
    check.Fold(context.transfer.data(), n);
    if (offset == 0) {
      std::memcpy(head, context.transfer.data(), sizeof head);
      std::memset(context.transfer.data() + OsRomSignatureOffset, 0xFF, 4);
    }
    if (!ProgramFlashRange(context.flash, FlashWindowBase, SystemFlashArea + offset, n, context.transfer.data())) {
      return Incomplete(context, kRestoreWriteFlashFailed);
    }
    offset += n;
  }
  std::uint8_t stored[kCheckByteCount];
  if (file->Read(stored, kCheckByteCount) != kCheckByteCount) return Incomplete(context, kRestoreCheckReadFailed);
  // Data that is no longer what was checked (the file changed on the card
  // meanwhile) is not made bootable.
  if (!check.Matches(stored) || std::memcmp(stored, checked.stored, kCheckByteCount) != 0 ||
      !OsAreaHoldsImage(head)) {
    return Incomplete(context, nullptr);
  }
  if (!ProgramFlashRange(context.flash, FlashWindowBase, SystemFlashArea + OsRomSignatureOffset, 4,
                         head + OsRomSignatureOffset)) {
    return Incomplete(context, kRestoreWriteFlashFailed);
  }
  return {RestoreAllOutcome::Restored, RestoreAllRefusal::None};
}

int RestoreAllFile(const ImageFileContext& context, std::string_view path) {
  return RestoreAllFromBackup(context, path).outcome == RestoreAllOutcome::Restored ? 0 : -1;
}

}  // namespace talvon
