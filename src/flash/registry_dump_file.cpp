// Registry dump file: a raw copy of RegistryFlashArea.
#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "flash/flash_areas.h"
#include "flash/file_replacement.h"
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
constexpr char kDumpReplaceFailed[] = "Registry replace dumpfile failed.";
constexpr char kRestoreRefusedPrefix[] = "ERROR: No registry the talvon can boot in the dumpfile (";

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
  FileReplacement replacement(context.files, path, RegistryFlashAreaSize);
  FileStream* file = replacement.Open();
  if (!file) return Fail(context, kDumpCantOpen);
  if (!ReadFlashRange(context.flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize, buffer.get())) {
    return Fail(context, kDumpReadFlashFailed);
  }
  if (file->Write(buffer.get(), RegistryFlashAreaSize) != RegistryFlashAreaSize) {
    return Fail(context, kDumpWriteFileFailed);
  }
  // Data still buffered when the file is closed counts too: a dump that did
  // not reach the card is not a dump.
  switch (replacement.Commit()) {
    case FileReplacement::Finish::Done:
      break;
    case FileReplacement::Finish::CloseFailed:
      return Fail(context, kDumpWriteFileFailed);
    case FileReplacement::Finish::ReplaceFailed:
      return Fail(context, kDumpReplaceFailed);
  }
  context.messages.AppMessageBox(kDumpDone, MB_ICONINFORMATION);
  return 0;
}

RegistryRestore RestoreRegistryFile(const ImageFileContext& context, Registry& registry, std::string_view path) {
  const FlashWorkScope work(context.flash.Work(), "Restoring the registry");
  auto buffer = AllocateRegistryBuffer();
  if (!buffer) {
    Fail(context, kCantAlloc);
    return RegistryRestore::NotRead;
  }
  auto file = context.files.Open(path, "rb");
  if (!file) {
    Fail(context, kRestoreCantOpen);
    return RegistryRestore::NotRead;
  }
  if (file->Read(buffer.get(), RegistryFlashAreaSize) != RegistryFlashAreaSize) {
    Fail(context, kRestoreReadFileFailed);
    return RegistryRestore::NotRead;
  }
  file.reset();  // everything needed is in the buffer
  // Only the registry knows the form it keeps itself in; what it would not
  // boot never replaces what it would.
  const SavedRegistryCheck check = registry.CheckSavedRegistry({buffer.get(), RegistryFlashAreaSize});
  if (check.verdict == SavedRegistryCheck::Verdict::Unusable) {
    Fail(context, (kRestoreRefusedPrefix + check.reason + ").").c_str());
    return RegistryRestore::Refused;
  }
  if (!EraseFlashRange(context.flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize)) {
    Fail(context, kRestoreClearFailed);
    return RegistryRestore::ClearFailed;
  }
  if (!ProgramFlashRange(context.flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize, buffer.get())) {
    Fail(context, kRestoreWriteFlashFailed);
    return RegistryRestore::WriteFailed;
  }
  context.messages.AppMessageBox(kRestoreDone, MB_ICONINFORMATION);
  return RegistryRestore::Restored;
}

}  // namespace talvon
