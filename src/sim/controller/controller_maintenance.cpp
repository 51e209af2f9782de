#include "sim/controller/controller_maintenance.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>
#include <vector>

#include "flash/bin_image.h"
#include "flash/bin_image_builder.h"
#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "flash/os_image_version.h"
#include "flash/transfer_buffer.h"
#include "platform/text.h"
#include "sim/registry/flash_hive_storage.h"
#include "sim/flash/flash_map.h"
#include "sim/registry/hive_format.h"
#include "sim/roles/host_file_stream.h"
#include "sim/registry/sim_registry.h"
#include "sim/controller/simulated_controller.h"

namespace talvon::sim {
namespace {

bool EraseOsArea(SimFlash& flash, std::string* error) {
  if (EraseFlashRange(flash, FlashWindowBase, OsImageFlashArea, OsImageFlashAreaSize) == 1) return true;
  *error = "erasing the OS image area failed";
  return false;
}

std::optional<std::uint32_t> ParseNumber(const std::string& text) {
  std::string_view digits = text;
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.remove_prefix(2);
    base = 16;
  }
  std::uint32_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
  return value;
}

// Applies one fault description to `faults`; false with *error when the words are wrong.
bool ApplyFault(const std::vector<std::string>& w, FlashFaults& faults, std::string* error) {
  const std::string kind = w.empty() ? "" : w[0];
  std::vector<std::uint32_t> n;
  for (std::size_t i = 1; i < w.size(); ++i) {
    if (kind == "stuck" && i == 3) break;
    std::optional<std::uint32_t> v = ParseNumber(w[i]);
    if (!v) {
      *error = "\"" + w[i] + "\" is not a number";
      return false;
    }
    n.push_back(*v);
  }
  auto wants = [&](std::size_t count) {
    if (w.size() == count + 1) return true;
    *error = kind + " takes " + std::to_string(count) + " value" + (count == 1 ? "" : "s");
    return false;
  };
  if (kind == "clear") {
    if (!wants(0)) return false;
    faults = FlashFaults{};
  } else if (kind == "erase") {
    if (!wants(1)) return false;
    faults.eraseFailures.push_back({n[0], std::nullopt});
  } else if (kind == "program") {
    if (!wants(1)) return false;
    faults.programFailures.push_back(n[0]);
  } else if (kind == "stuck") {
    if (!wants(3)) return false;
    if (n[1] > 0xFF || (w[3] != "high" && w[3] != "low")) {
      *error = "stuck takes ADDR MASK (one byte) high|low";
      return false;
    }
    faults.stuckBits.push_back({n[0], static_cast<std::uint8_t>(n[1]), w[3] == "high"});
  } else if (kind == "never-ready" || kind == "no-cfi") {
    if (!wants(2)) return false;
    (kind == "never-ready" ? faults.neverReady : faults.noCfi).push_back({n[0], n[1]});
  } else {
    *error = "unknown fault \"" + kind + "\": erase, program, stuck, never-ready, no-cfi or clear";
    return false;
  }
  return true;
}

// The injected faults in the words `talvon-sim fault` takes, banks and
// chips counted from 0 as the flash map counts them.
void PrintFlashFaults(const FlashFaults& f, std::ostream& out) {
  std::vector<std::string> lines;
  for (const FlashEraseFailure& e : f.eraseFailures) {
    lines.push_back("erase " + HexWord(e.address) + (e.chip ? " (chip " + std::to_string(*e.chip) + " only)" : ""));
  }
  for (std::uint32_t address : f.programFailures) lines.push_back("program " + HexWord(address));
  for (const FlashStuckBits& b : f.stuckBits) {
    char mask[8];
    std::snprintf(mask, sizeof mask, "0x%02X", b.mask);
    lines.push_back("stuck " + HexWord(b.address) + " " + mask + (b.stuckHigh ? " high" : " low"));
  }
  for (const FlashChipRef& r : f.neverReady) {
    lines.push_back("never-ready " + std::to_string(r.bank) + " " + std::to_string(r.chip));
  }
  for (const FlashChipRef& r : f.noCfi) lines.push_back("no-cfi " + std::to_string(r.bank) + " " + std::to_string(r.chip));
  if (f.powerLossAtCycle != 0) lines.push_back("power lost before bus cycle " + std::to_string(f.powerLossAtCycle));
  for (const std::string& line : lines) out << "fault       " << line << '\n';
}

}  // namespace

bool AddFlashFault(ControllerFiles& c, const std::vector<std::string>& words, std::string* error) {
  std::optional<FlashConfig> flash = FlashConfigOf(c.config, error);
  if (!flash) return false;
  if (!ApplyFault(words, flash->faults, error)) return false;
  std::string why;
  if (!ValidateFlashConfig(*flash, &why)) {
    *error = "the fault does not fit this controller's flash: " + why;
    return false;
  }
  ControllerConfig updated = c.config;
  updated.flash = FlashConfigToJson(*flash);
  if (!SaveControllerConfig(updated, c.directory.ConfigFile(), error)) return false;
  c.config = std::move(updated);
  return true;
}

std::unique_ptr<ControllerFiles> OpenControllerFiles(const std::filesystem::path& directory, std::string* error,
                                                     ControllerFilesMode mode) {
  std::optional<ControllerDirectory> dir;
  if (mode == ControllerFilesMode::Create) {
    dir = ControllerDirectory::OpenOrCreate(directory, ControllerOptions::DefaultFactoryContents(), error);
  } else {
    dir = ControllerDirectory::OpenExisting(directory, error);
  }
  if (!dir) return nullptr;
  std::optional<ControllerConfig> config = LoadControllerConfig(dir->ConfigFile(), error);
  if (!config) return nullptr;
  std::optional<FlashConfig> flashConfig = FlashConfigOf(*config, error);
  if (!flashConfig) return nullptr;
  std::error_code ec;
  if (!std::filesystem::exists(dir->FlashImageFile(), ec)) {
    if (mode != ControllerFilesMode::Create) {
      *error = "flash.bin missing in " + dir->Root().string() + " (talvon-sim create makes factory flash contents)";
      return nullptr;
    }
    if (!CreateFactoryFlashImage(dir->FlashImageFile(), *config, error)) return nullptr;
  }
  std::string why;
  const auto access = mode == ControllerFilesMode::ReadOnly ? FlashFile::Access::ReadOnly : FlashFile::Access::ReadWrite;
  std::unique_ptr<SimFlash> flash = SimFlash::Open(dir->FlashImageFile(), *flashConfig, &why, access);
  if (!flash) {
    *error = "flash.bin: " + why;
    return nullptr;
  }
  return std::unique_ptr<ControllerFiles>(
      new ControllerFiles{std::move(*dir), std::move(*config), std::move(flash)});
}

void PrintControllerInfo(ControllerFiles& c, std::ostream& out) {
  out << "controller  " << c.directory.Root().string() << '\n';
  for (std::size_t i = 0; i < c.config.slots.size(); ++i) {
    const SlotConfig& slot = c.config.slots[i];
    out << "slot " << i + 1 << "      ";
    if (!slot.occupied) {
      out << "empty\n";
      continue;
    }
    out << "module " << slot.identifier << " \"" << slot.name << '"';
    if (slot.busName) out << ", answers \"" << *slot.busName << "\" on COM1:";
    out << '\n';
  }
  out << "serial      ";
  for (std::uint8_t b : c.config.serialNumber) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X ", b);
    out << text;
  }
  out << "\nSDK         " << c.config.sdkVersion << '\n';

  std::string error;
  if (std::optional<FlashConfig> flash = FlashConfigOf(c.config, &error)) {
    PrintFlashMap(*flash, out);
    PrintFlashFaults(flash->faults, out);
  }
  // What the boot looks at, and what else the area holds.
  const OsAreaFinding os = InspectOsArea(*c.flash);
  if (os.boots) {
    std::optional<std::string> version = ReadOsVersion(*c.flash);
    out << "OS image    present, version " << (version ? *version : c.config.osVersion + " (from controller.json)")
        << "; " << os.text << '\n';
  } else {
    out << "OS image    " << os.text << ": the controller does not boot (talvon-sim recover)\n";
  }
  FlashHiveStorage storage(*c.flash);
  HiveDecodeResult hive = DecodeHive(storage.Load());
  out << "registry    "
      << (hive.status == HiveStatus::Valid ? "saved hive"
                                           : "factory registry at next boot (" + hive.error + ")")
      << '\n';
}

bool PrintBootRegistry(ControllerFiles& c, std::ostream& out, std::string* error) {
  std::string unreadable;
  const std::optional<std::string> factory = ReadFactoryRegistry(c.directory, &unreadable);
  if (!unreadable.empty()) {
    *error = unreadable;
    return false;
  }
  FlashHiveStorage storage(*c.flash);
  SimRegistry registry(storage);
  RegistryBootReport report =
      registry.Boot(factory ? std::optional<std::string_view>(*factory) : std::nullopt);
  if (!report.ok) {
    *error = "factory.reg: " + report.detail;
    return false;
  }
  out << registry.ExportText();
  return true;
}

bool WipeOsArea(ControllerFiles& c, std::string* error) { return EraseOsArea(*c.flash, error); }

bool WriteFactoryOsImage(ControllerFiles& c, std::string* error) {
  if (!EraseOsArea(*c.flash, error)) return false;
  BinImageOptions image;
  if (IsValidOsVersion(c.config.osVersion)) image.version = c.config.osVersion;
  TransferBuffer transfer;
  for (std::uint32_t offset = 0; offset < OsImageFlashAreaSize; offset += TransferBuffer::Size) {
    const std::uint32_t n = std::min<std::uint32_t>(TransferBuffer::Size, OsImageFlashAreaSize - offset);
    std::span<std::uint8_t> piece = transfer.span().first(n);
    FillOsImageContent(image, offset, piece);
    if (ProgramFlashRange(*c.flash, FlashWindowBase, OsImageFlashArea + offset, n, piece.data()) != 1) {
      *error = "programming the OS image area failed at " + HexWord(OsImageFlashArea + offset);
      return false;
    }
  }
  return true;
}

bool WriteOsImageFile(ControllerFiles& c, const std::string& hostPath, std::string* error) {
  std::unique_ptr<FileStream> file = HostFileStream::Open(hostPath, "rb");
  if (!file) {
    *error = "cannot open " + hostPath;
    return false;
  }
  TransferBuffer transfer;
  OsImageCheck check = ValidateOsImage(*file, transfer);
  if (!check.valid) {
    *error = hostPath + ": " + check.problem;
    return false;
  }
  if (!EraseOsArea(*c.flash, error)) return false;
  BinImageReader reader(*file);
  if (!reader.ReadHeader()) {
    *error = hostPath + ": " + reader.problem();
    return false;
  }
  BinRecord record;
  BinStep step;
  while ((step = reader.NextRecord(&record)) == BinStep::Record) {
    std::uint32_t target = record.flashAddress;
    while (reader.dataLeft() > 0) {
      const std::size_t n = std::min<std::size_t>(reader.dataLeft(), TransferBuffer::Size);
      if (reader.ReadData(transfer.data(), n) != n) break;
      if (ProgramFlashRange(*c.flash, FlashWindowBase, target, static_cast<std::uint32_t>(n), transfer.data()) != 1) {
        *error = "programming failed at " + HexWord(target);
        return false;
      }
      target += static_cast<std::uint32_t>(n);
    }
    if (reader.failed()) break;
  }
  if (step == BinStep::Failed || reader.failed()) {
    *error = hostPath + ": " + reader.problem();
    return false;
  }
  return true;
}

}  // namespace talvon::sim
