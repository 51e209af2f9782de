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

// The registry buffer of one call; an allocation failure is answered, not thrown.
std::unique_ptr<std::uint8_t[]> AllocateRegistryBuffer() {
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[RegistryFlashAreaSize]);
}

FileOutcome Fault(FileFault fault) { return {fault, 0, {}}; }
RegistryRestoreResult Stopped(RegistryRestore outcome, FileFault fault) { return {outcome, Fault(fault)}; }

}  // namespace

FileOutcome DumpRegistry(const FlashFileRoles& roles, std::string_view path) {
  const FlashWorkScope work(roles.flash.Work(), DumpingRegistryWork);
  auto buffer = AllocateRegistryBuffer();
  if (!buffer) return Fault(FileFault::NoMemory);
  FileReplacement replacement(roles.files, path, RegistryFlashAreaSize);
  FileStream* file = replacement.Open();
  if (!file) return Fault(FileFault::CannotOpen);
  if (!ReadFlashRange(roles.flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize, buffer.get())) {
    return Fault(FileFault::ReadFlashFailed);
  }
  if (file->Write(buffer.get(), RegistryFlashAreaSize) != RegistryFlashAreaSize) {
    return Fault(FileFault::WriteFileFailed);
  }
  // Data still buffered when the file is closed counts too: a dump that did
  // not reach the card is not a dump.
  switch (replacement.Commit()) {
    case FileReplacement::Finish::Done:
      break;
    case FileReplacement::Finish::CloseFailed:
      return Fault(FileFault::WriteFileFailed);
    case FileReplacement::Finish::ReplaceFailed:
      return Fault(FileFault::ReplaceFailed);
  }
  return {};
}

RegistryRestoreResult RestoreRegistry(const FlashFileRoles& roles, Registry& registry, std::string_view path) {
  const FlashWorkScope work(roles.flash.Work(), RestoringRegistryWork);
  auto buffer = AllocateRegistryBuffer();
  if (!buffer) return Stopped(RegistryRestore::NotRead, FileFault::NoMemory);
  auto file = roles.files.Open(path, "rb");
  if (!file) return Stopped(RegistryRestore::NotRead, FileFault::CannotOpen);
  if (file->Read(buffer.get(), RegistryFlashAreaSize) != RegistryFlashAreaSize) {
    return Stopped(RegistryRestore::NotRead, FileFault::ReadFileFailed);
  }
  file.reset();  // everything needed is in the buffer
  // Only the registry knows the form it keeps itself in; what it would not
  // boot never replaces what it would.
  const SavedRegistryCheck check = registry.CheckSavedRegistry({buffer.get(), RegistryFlashAreaSize});
  if (check.verdict == SavedRegistryCheck::Verdict::Unusable) {
    return {RegistryRestore::Refused, {FileFault::Unbootable, 0, check.reason}};
  }
  if (!EraseFlashRange(roles.flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize)) {
    return Stopped(RegistryRestore::ClearFailed, FileFault::ClearFailed);
  }
  if (!ProgramFlashRange(roles.flash, FlashWindowBase, RegistryFlashArea, RegistryFlashAreaSize, buffer.get())) {
    return Stopped(RegistryRestore::WriteFailed, FileFault::WriteFlashFailed);
  }
  return {RegistryRestore::Restored, {}};
}

}  // namespace talvon
