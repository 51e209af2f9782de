// Whole-system backup file: SystemFlashArea followed by four check bytes.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "flash/flash_areas.h"
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

constexpr std::size_t kCheckByteCount = 4;

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
  auto file = context.files.Open(path, "wb");
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
  if (file->Close() != 0) return Fail(context, kBackupWriteFileFailed);
  return 0;
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

int RestoreAllFile(const ImageFileContext& context, std::string_view path) {
  const FlashWorkScope work(context.flash.Work(), "Restoring the whole system");
  if (VerifyBackupAllFile(context.files, context.transfer, path) != 0) return -1;
  auto file = context.files.Open(path, "rb");
  if (!file) return Fail(context, kRestoreCantOpen);
  if (!EraseFlashRange(context.flash, FlashWindowBase, SystemFlashArea, SystemFlashAreaSize)) {
    return Fail(context, kRestoreClearFailed);
  }
  BackupCheckBytes check;
  // The ROM signature goes in last: a restore cut short leaves a controller
  // that asks to be recovered instead of booting half a system.
  std::uint8_t signature[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  for (std::uint32_t offset = 0; offset < SystemFlashAreaSize;) {
    const std::uint32_t n = PieceAt(offset, context.transfer);
    context.flash.Work().GoesOn();
    if (file->Read(context.transfer.data(), n) != n) return Fail(context, kRestoreReadFileFailed);
    check.Fold(context.transfer.data(), n);
    if (offset == 0 && n >= OsRomSignatureOffset + sizeof signature) {
      std::memcpy(signature, context.transfer.data() + OsRomSignatureOffset, sizeof signature);
      std::memset(context.transfer.data() + OsRomSignatureOffset, 0xFF, sizeof signature);
    }
    if (!ProgramFlashRange(context.flash, FlashWindowBase, SystemFlashArea + offset, n, context.transfer.data())) {
      return Fail(context, kRestoreWriteFlashFailed);
    }
    offset += n;
  }
  std::uint8_t stored[kCheckByteCount];
  if (file->Read(stored, kCheckByteCount) != kCheckByteCount) return Fail(context, kRestoreCheckReadFailed);
  // Data that no longer matches its check bytes (the file changed since it
  // was verified) is not made bootable.
  if (!check.Matches(stored)) return -1;
  if (!ProgramFlashRange(context.flash, FlashWindowBase, SystemFlashArea + OsRomSignatureOffset, sizeof signature,
                         signature)) {
    return Fail(context, kRestoreWriteFlashFailed);
  }
  return 0;
}

}  // namespace talvon
