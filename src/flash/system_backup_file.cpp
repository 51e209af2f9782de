// Whole-system backup file: SystemFlashArea followed by four check bytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "flash/flash_areas.h"
#include "flash/file_replacement.h"
#include "flash/flash_device.h"
#include "flash/image_files.h"
#include "flash/os_image_version.h"

namespace talvon {
namespace {

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

FileOutcome Fault(FileFault fault) { return {fault, 0, {}}; }

}  // namespace

FileOutcome WriteBackupFile(const FlashFileRoles& context, std::string_view path) {
  const FlashWorkScope work(context.flash.Work(), BackingUpSystemWork);
  FileReplacement replacement(context.files, path, BackupFileSize);
  FileStream* file = replacement.Open();
  if (!file) return Fault(FileFault::CannotOpen);
  BackupCheckBytes check;
  for (std::uint32_t offset = 0; offset < SystemFlashAreaSize;) {
    const std::uint32_t n = PieceAt(offset, context.transfer);
    context.flash.Work().GoesOn();
    if (!ReadFlashRange(context.flash, FlashWindowBase, SystemFlashArea + offset, n, context.transfer.data())) {
      return Fault(FileFault::ReadFlashFailed);
    }
    check.Fold(context.transfer.data(), n);
    if (file->Write(context.transfer.data(), n) != n) return Fault(FileFault::WriteFileFailed);
    offset += n;
  }
  if (file->Write(check.bytes(), kCheckByteCount) != kCheckByteCount) return Fault(FileFault::WriteCheckFailed);
  // Whatever was still buffered must reach the card, or the backup is incomplete.
  switch (replacement.Commit()) {
    case FileReplacement::Finish::Done:
      return {};
    case FileReplacement::Finish::CloseFailed:
      return Fault(FileFault::WriteFileFailed);
    case FileReplacement::Finish::ReplaceFailed:
      return Fault(FileFault::ReplaceFailed);
  }
  return Fault(FileFault::WriteFileFailed);
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
  if (!file) return 0;  // the restore's own open reports it
  return VerifyBackupStream(*file, transfer.span(), SystemFlashAreaSize);
}

namespace {

RestoreAllResult Refused(RestoreAllRefusal why, FileOutcome what = {}) {
  return {RestoreAllOutcome::Refused, why, std::move(what)};
}
RestoreAllResult Incomplete(FileFault fault) {
  return {RestoreAllOutcome::Incomplete, RestoreAllRefusal::None, Fault(fault)};
}

// What the first read of a backup found: its check bytes and the start of
// the OS image area it carries.
struct BackupContents {
  std::uint8_t stored[kCheckByteCount] = {};
  std::uint8_t head[OsRomSignatureOffset + 4] = {};
};

// Reads the whole file once, before anything is erased: exactly the data and
// four check bytes, the check bytes matching, and an OS image the controller
// boots. None when the file passes.
RestoreAllResult CheckWholeBackup(const FlashFileRoles& context, FileStream& file, BackupContents* contents) {
  std::int64_t size = -1;
  if (file.Seek(0, SEEK_END) == 0) size = file.Tell();
  if (size != static_cast<std::int64_t>(BackupFileSize) || file.Seek(0, SEEK_SET) != 0) {
    return Refused(RestoreAllRefusal::WrongSize, {FileFault::WrongSize, size, {}});
  }
  BackupCheckBytes check;
  for (std::uint32_t offset = 0; offset < SystemFlashAreaSize;) {
    const std::uint32_t n = PieceAt(offset, context.transfer);
    context.flash.Work().GoesOn();
    if (file.Read(context.transfer.data(), n) != n) {
      return Refused(RestoreAllRefusal::WrongSize, Fault(FileFault::ReadFileFailed));
    }
    check.Fold(context.transfer.data(), n);
    if (offset == 0) std::memcpy(contents->head, context.transfer.data(), sizeof contents->head);
    offset += n;
  }
  std::uint8_t beyond = 0;
  if (file.Read(contents->stored, kCheckByteCount) != kCheckByteCount || file.Read(&beyond, 1) != 0) {
    // The file changed size while it was read.
    return Refused(RestoreAllRefusal::WrongSize, Fault(FileFault::ReadCheckFailed));
  }
  if (!check.Matches(contents->stored)) return Refused(RestoreAllRefusal::CheckBytes);
  if (!OsAreaHoldsImage(contents->head)) return Refused(RestoreAllRefusal::NoOsImage, Fault(FileFault::NoOsImage));
  return Refused(RestoreAllRefusal::None);
}

}  // namespace

RestoreAllResult RestoreFromBackupFile(const FlashFileRoles& context, std::string_view path) {
  const FlashWorkScope work(context.flash.Work(), RestoringSystemWork);
  auto file = context.files.Open(path, "rb");
  if (!file) return Refused(RestoreAllRefusal::CannotOpen, Fault(FileFault::CannotOpen));
  BackupContents checked;
  if (RestoreAllResult found = CheckWholeBackup(context, *file, &checked); found.refusal != RestoreAllRefusal::None) {
    return found;
  }
  if (file->Seek(0, SEEK_SET) != 0) return Refused(RestoreAllRefusal::CannotOpen, Fault(FileFault::ReadFileFailed));
  if (!EraseFlashRange(context.flash, FlashWindowBase, SystemFlashArea, SystemFlashAreaSize)) {
    return Incomplete(FileFault::ClearFailed);
  }
  BackupCheckBytes check;
  // The ROM signature goes in last: a restore cut short leaves a controller
  // that asks to be recovered instead of booting half a system.
  std::uint8_t head[OsRomSignatureOffset + 4];
  for (std::uint32_t offset = 0; offset < SystemFlashAreaSize;) {
    const std::uint32_t n = PieceAt(offset, context.transfer);
    context.flash.Work().GoesOn();
    if (file->Read(context.transfer.data(), n) != n) return Incomplete(FileFault::ReadFileFailed);
    check.Fold(context.transfer.data(), n);
    if (offset == 0) {
      std::memcpy(head, context.transfer.data(), sizeof head);
      std::memset(context.transfer.data() + OsRomSignatureOffset, 0xFF, 4);
    }
    if (!ProgramFlashRange(context.flash, FlashWindowBase, SystemFlashArea + offset, n, context.transfer.data())) {
      return Incomplete(FileFault::WriteFlashFailed);
    }
    offset += n;
  }
  std::uint8_t stored[kCheckByteCount];
  if (file->Read(stored, kCheckByteCount) != kCheckByteCount) return Incomplete(FileFault::ReadCheckFailed);
  // Data that is no longer what was checked (the file changed on the card
  // meanwhile) is not made bootable.
  if (!check.Matches(stored) || std::memcmp(stored, checked.stored, kCheckByteCount) != 0 ||
      !OsAreaHoldsImage(head)) {
    return Incomplete(FileFault::None);
  }
  if (!ProgramFlashRange(context.flash, FlashWindowBase, SystemFlashArea + OsRomSignatureOffset, 4,
                         head + OsRomSignatureOffset)) {
    return Incomplete(FileFault::WriteFlashFailed);
  }
  return {RestoreAllOutcome::Restored, RestoreAllRefusal::None, {}};
}

}  // namespace talvon
