// Registry dump file: a raw copy of RegistryFlashArea.
#include <cstdint>
#include <memory>
#include <new>

#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "flash/image_files.h"

namespace talvon {
namespace {

constexpr char kCantAlloc[] = "can't alloc memory.";
constexpr char kDumpCantOpen[] = "Can't open the dumpfile.";
constexpr char kDumpReadFlashFailed[] = "Registry read flash failed.";
constexpr char kDumpWriteFileFailed[] = "Registry write dumpfile failed.";
constexpr char kDumpDone[] = "Registry dump to dumpfile successed.";
constexpr char kRestoreCantOpen[] = "Can't open the dumpfile";  // no full stop, as the system has it
constexpr char kRestoreReadFileFailed[] = "Registry read from dumpfile failed.";
constexpr char kRestoreClearFailed[] = "Registry clear failed.";
constexpr char kRestoreWriteFlashFailed[] = "Registry write flash failed.";
constexpr char kRestoreDone[] = "Registry restore from dumpfile successed.";

// The registry buffer of one call; an allocation failure is answered, not thrown.
std::unique_ptr<std::uint8_t[]> AllocateRegistryBuffer() {
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[RegistryFlashAreaSize]);
}

int Fail(const ImageFileContext& context, const char* text) {
  context.messages.AppMessageBox(text, MB_ICONSTOP);
  return -1;
}

}  // namespace

int DumpRegistryFile(const ImageFileContext& context, std::string_view path) {
  const FlashWorkScope work(context.flash.Work(), "Dumping the registry");
  auto buffer = AllocateRegistryBuffer();
  if (!buffer) return Fail(context, kCantAlloc);
  auto file = context.files.Open(path, "wb");
  if (!file) return Fail(context, kDumpCantOpen);
  if (!ReadFlashRange(context.flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize, buffer.get())) {
    return Fail(context, kDumpReadFlashFailed);
  }
  bool written = file->Write(buffer.get(), RegistryFlashAreaSize) == RegistryFlashAreaSize;
  // Data still buffered when the file is closed counts too: a dump that did
  // not reach the card is not a dump.
  written = file->Close() == 0 && written;
  if (!written) return Fail(context, kDumpWriteFileFailed);
  context.messages.AppMessageBox(kDumpDone, MB_ICONINFORMATION);
  return 0;
}

int RestoreRegistryFile(const ImageFileContext& context, std::string_view path) {
  const FlashWorkScope work(context.flash.Work(), "Restoring the registry");
  auto buffer = AllocateRegistryBuffer();
  if (!buffer) return Fail(context, kCantAlloc);
  auto file = context.files.Open(path, "rb");
  if (!file) return Fail(context, kRestoreCantOpen);
  if (file->Read(buffer.get(), RegistryFlashAreaSize) != RegistryFlashAreaSize) {
    return Fail(context, kRestoreReadFileFailed);
  }
  file.reset();  // everything needed is in the buffer
  if (!EraseFlashRange(context.flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize)) {
    return Fail(context, kRestoreClearFailed);
  }
  if (!ProgramFlashRange(context.flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize, buffer.get())) {
    return Fail(context, kRestoreWriteFlashFailed);
  }
  context.messages.AppMessageBox(kRestoreDone, MB_ICONINFORMATION);
  return 0;
}

}  // namespace talvon
