#include "performance_table/measurements.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "flash/bin_image_builder.h"
#include "memory_stream.h"
#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "flash/image_files.h"
#include "flash/transfer_buffer.h"
#include "operations/flash_files.h"
#include "operations/os_image_writer.h"
#include "platform/message_box.h"
#include "runner/script.h"
#include "runner/script_runner.h"
#include "runner/simulated_controller_provider.h"
#include "sim/flash/flash_file.h"
#include "sim/registry/hive_format.h"
#include "sim/roles/sim_files.h"
#include "sim/flash/sim_flash.h"
#include "sim/controller/simulated_controller.h"

namespace talvon::perf {
namespace {

namespace fs = std::filesystem;

constexpr char kBackupPath[] = "\\CompactFlash\\T5x5x_Backup.bak";
constexpr std::uint32_t kSystemOffset = SystemFlashArea - FlashWindowBase;
constexpr std::uint32_t kOsOffset = OsImageFlashArea - FlashWindowBase;
constexpr std::uint32_t kRegistryOffset = RegistryFlashArea - FlashWindowBase;

class SilentBoxes final : public AppMessageBoxes {
 public:
  int AppMessageBox(std::string_view, std::uint32_t) override { return IDOK; }
};

class QuietProgress final : public OsImageProgress {
 public:
  void SetStatusText(std::string_view) override {}
  void SetProgressStep(int) override {}
  void SetProgressRange(int, int) override {}
  void SetProgressPos(int) override {}
  void PumpOneMessage() override {}
};

// The image file as the update page reads it, from memory.
using bench::MemoryStream;

// Counts the pauses the page takes, so the paced floor can take the same.
class CountingClock final : public Clock {
 public:
  explicit CountingClock(Clock& inner) : inner_(inner) {}
  void Sleep(std::uint32_t milliseconds) override {
    pauses.push_back(milliseconds);
    inner_.Sleep(milliseconds);
  }
  std::uint64_t NowMs() const override { return inner_.NowMs(); }
  std::vector<std::uint32_t> pauses;

 private:
  Clock& inner_;
};

// A flash.bin whose system area holds varied bytes, the rest erased.
void WriteVariedFlash(const fs::path& file) {
  std::vector<char> bytes(FlashWindowSize, static_cast<char>(0xFF));
  std::uint32_t x = 1;
  for (std::uint32_t i = kSystemOffset; i < FlashWindowSize; ++i) {
    bytes[i] = static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
  }
  std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The flash, files and buffers of the whole-system file operations.
struct FileRig {
  explicit FileRig(const fs::path& folder) {
    fs::create_directories(folder / "fs" / "CompactFlash");
    WriteVariedFlash(folder / "flash.bin");
    std::string error;
    flash = sim::SimFlash::Open(folder / "flash.bin", sim::DefaultFlashConfig(), &error);
    files = std::make_unique<sim::SimFiles>(folder / "fs");
  }
  ImageFileContext Context() { return ImageFileContext{*files, *flash, boxes, transfer}; }

  std::unique_ptr<sim::SimFlash> flash;
  std::unique_ptr<sim::SimFiles> files;
  SilentBoxes boxes;
  TransferBuffer transfer;
};

std::string CyclesPerUnit(const sim::SimFlash& flash) {
  const sim::FlashStats& stats = flash.Stats();
  if (stats.programs == 0) return {};
  std::ostringstream out;
  out.precision(3);
  out << static_cast<double>(stats.busCycles) / static_cast<double>(stats.programs) << " bus cycles per unit";
  return out.str();
}

Prepared BackupAll(const fs::path& folder) {
  auto rig = std::make_shared<FileRig>(folder);
  return {[rig] { return RunNote{BackupAllFile(rig->Context(), kBackupPath) == 0, {}}; }};
}

// Copying the mapped flash into a file, 1 MiB at a time.
Prepared BackupAllFloor(const fs::path& folder) {
  auto rig = std::make_shared<FileRig>(folder);
  const fs::path out = folder / "floor.bak";
  return {[rig, out] {
    std::FILE* file = std::fopen(out.c_str(), "wb");
    if (file == nullptr) return RunNote{false, {}};
    for (std::uint32_t at = 0; at < SystemFlashAreaSize; at += TransferBuffer::Size) {
      const std::uint32_t n = std::min<std::uint32_t>(TransferBuffer::Size, SystemFlashAreaSize - at);
      std::memcpy(rig->transfer.data(), rig->flash->Contents() + kSystemOffset + at, n);
      std::fwrite(rig->transfer.data(), 1, n, file);
    }
    return RunNote{std::fclose(file) == 0, {}};
  }};
}

Prepared RestoreAll(const fs::path& folder) {
  auto rig = std::make_shared<FileRig>(folder);
  BackupAllFile(rig->Context(), kBackupPath);
  return {[rig] {
    rig->flash->ResetStats();
    const bool good = RestoreAllFile(rig->Context(), kBackupPath) == 0;
    return RunNote{good, CyclesPerUnit(*rig->flash)};
  }};
}

// Reading the backup file and copying it into the mapped flash.
Prepared RestoreAllFloor(const fs::path& folder) {
  auto rig = std::make_shared<FileRig>(folder);
  BackupAllFile(rig->Context(), kBackupPath);
  std::string error;
  std::shared_ptr<sim::FlashFile> target = sim::FlashFile::Open(folder / "floor-flash.bin", &error);
  const fs::path backup = folder / "fs" / "CompactFlash" / "T5x5x_Backup.bak";
  return {[rig, target, backup] {
    std::FILE* file = std::fopen(backup.c_str(), "rb");
    if (file == nullptr || !target) return RunNote{false, {}};
    bool good = true;
    for (std::uint32_t at = 0; at < SystemFlashAreaSize && good; at += TransferBuffer::Size) {
      const std::uint32_t n = std::min<std::uint32_t>(TransferBuffer::Size, SystemFlashAreaSize - at);
      good = std::fread(rig->transfer.data(), 1, n, file) == n;
      std::memcpy(target->Data() + kSystemOffset + at, rig->transfer.data(), n);
    }
    std::fclose(file);
    return RunNote{good, {}};
  }};
}

// A file of the system area's bytes (the rig's varied flash), to program from.
fs::path RawSystemArea(FileRig& rig, const fs::path& folder) {
  const fs::path raw = folder / "raw.bin";
  BackupAllFile(rig.Context(), kBackupPath);
  fs::copy_file(folder / "fs" / "CompactFlash" / "T5x5x_Backup.bak", raw);
  fs::resize_file(raw, SystemFlashAreaSize);  // without the check bytes
  return raw;
}

// The whole system area, erased and programmed from a file of raw bytes one
// transfer buffer at a time: ProgramFlashRange over all of it.
Prepared ProgramRange(const fs::path& folder) {
  auto rig = std::make_shared<FileRig>(folder);
  const fs::path raw = RawSystemArea(*rig, folder);
  return {[rig, raw] {
    rig->flash->ResetStats();
    if (!EraseFlashRange(*rig->flash, FlashWindowBase, SystemFlashArea, SystemFlashAreaSize)) return RunNote{false, {}};
    std::FILE* file = std::fopen(raw.c_str(), "rb");
    if (file == nullptr) return RunNote{false, {}};
    bool good = true;
    for (std::uint32_t at = 0; at < SystemFlashAreaSize && good; at += TransferBuffer::Size) {
      const std::uint32_t n = std::min<std::uint32_t>(TransferBuffer::Size, SystemFlashAreaSize - at);
      good = std::fread(rig->transfer.data(), 1, n, file) == n &&
             ProgramFlashRange(*rig->flash, FlashWindowBase, SystemFlashArea + at, n, rig->transfer.data()) == 1;
    }
    std::fclose(file);
    return RunNote{good, CyclesPerUnit(*rig->flash)};
  }};
}

// Setting the area to erased bytes, then reading the file and copying it in.
Prepared ProgramRangeFloor(const fs::path& folder) {
  auto rig = std::make_shared<FileRig>(folder);
  const fs::path raw = RawSystemArea(*rig, folder);
  std::string error;
  std::shared_ptr<sim::FlashFile> target = sim::FlashFile::Open(folder / "floor-flash.bin", &error);
  return {[rig, target, raw] {
    std::FILE* file = std::fopen(raw.c_str(), "rb");
    if (file == nullptr || !target) return RunNote{false, {}};
    std::uint8_t* area = target->Data() + kSystemOffset;
    std::memset(area, 0xFF, SystemFlashAreaSize);
    bool good = true;
    for (std::uint32_t at = 0; at < SystemFlashAreaSize && good; at += TransferBuffer::Size) {
      const std::uint32_t n = std::min<std::uint32_t>(TransferBuffer::Size, SystemFlashAreaSize - at);
      good = std::fread(rig->transfer.data(), 1, n, file) == n;
      std::memcpy(area + at, rig->transfer.data(), n);
    }
    std::fclose(file);
    return RunNote{good, {}};
  }};
}

struct UpdateRig {
  explicit UpdateRig(const fs::path& folder) : image(BuildBinImage({.version = "TalvonOS bench"})) {
    std::string error;
    flash = sim::SimFlash::Open(folder / "flash.bin", sim::DefaultFlashConfig(), &error);
  }
  std::vector<std::uint8_t> image;
  std::unique_ptr<sim::SimFlash> flash;
  QuietProgress progress;
  TransferBuffer transfer;
};

// The flash work of Write to Flash Now: erase the OS area block by block,
// check it, write the image record by record.
RunNote WriteImage(UpdateRig& rig, Clock& clock) {
  rig.flash->ResetStats();
  const OsImageFlashRoles roles{*rig.flash, clock, rig.progress};
  if (EraseOsAreaWithProgress(roles) != OsAreaErase::Erased) return {false, "erase stopped"};
  if (CountUnerasedBytes(*rig.flash, rig.transfer) != 0) return {false, "not erased"};
  MemoryStream file(rig.image);
  const bool written = WriteOsImageRecords(roles, file).outcome == OsImageWriteResult::Outcome::Written;
  return {written, CyclesPerUnit(*rig.flash)};
}

// Erasing the area and copying each record's bytes to its place in the
// mapped flash, then the page's pauses when `paced`.
RunNote CopyImage(const std::vector<std::uint8_t>& image, std::uint8_t* flash, const std::vector<std::uint32_t>& pauses,
                  Clock& clock) {
  std::memset(flash + kOsOffset, 0xFF, OsImageFlashAreaSize);
  const auto word = [&](std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, image.data() + at, 4);
    return v;
  };
  const std::uint32_t imageStart = word(7);
  for (std::size_t at = 15; at + 12 <= image.size();) {
    const std::uint32_t address = word(at);
    const std::uint32_t length = word(at + 4);
    if (address == 0 || at + 12 + length > image.size()) break;
    const std::uint64_t offset = std::uint64_t{address} - imageStart;
    if (offset + length > OsImageFlashAreaSize) return {false, "record outside the area"};
    std::memcpy(flash + kOsOffset + offset, image.data() + at + 12, length);
    at += 12 + length;
  }
  for (std::uint32_t pause : pauses) clock.Sleep(pause);
  return {};
}

Prepared OsWrite(const fs::path& folder, bool paced) {
  auto rig = std::make_shared<UpdateRig>(folder);
  auto clock = std::make_shared<SystemClock>();
  auto virtualClock = std::make_shared<VirtualClock>();
  return {[rig, clock, virtualClock, paced] {
    return paced ? WriteImage(*rig, *clock) : WriteImage(*rig, *virtualClock);
  }};
}

Prepared OsWriteFloor(const fs::path& folder, bool paced) {
  auto rig = std::make_shared<UpdateRig>(folder);
  // The pauses the page takes, counted on a virtual clock.
  VirtualClock counted;
  CountingClock counting(counted);
  WriteImage(*rig, counting);
  const std::vector<std::uint32_t> pauses = paced ? counting.pauses : std::vector<std::uint32_t>{};
  std::string error;
  std::shared_ptr<sim::FlashFile> target = sim::FlashFile::Open(folder / "floor-flash.bin", &error);
  auto clock = std::make_shared<SystemClock>();
  return {[rig, target, pauses, clock] { return CopyImage(rig->image, target->Data(), pauses, *clock); }};
}

std::unique_ptr<sim::SimulatedController> BootController(const fs::path& folder, Clock& clock) {
  sim::ControllerOptions options;
  options.childOutput = sim::SimProcesses::ChildOutput::Discard;
  std::string error;
  auto controller = sim::SimulatedController::Boot(folder / "controller", clock, &error, options);
  if (!controller) std::fprintf(stderr, "the controller does not boot: %s\n", error.c_str());
  return controller;
}

constexpr int kFlushValues = 5000;

struct FlushRig {
  explicit FlushRig(const fs::path& folder) : controller(BootController(folder, clock)) {
    Registry& registry = controller->GetPlatform().registry;
    HKEY key = 0;
    registry.CreateKey(HKEY_LOCAL_MACHINE, "Bench\\Values", &key, nullptr);
    for (int i = 0; i < kFlushValues; ++i) {
      const std::string name = "Value" + std::to_string(i);
      if (i % 2 == 0) {
        const std::uint32_t n = static_cast<std::uint32_t>(i);
        registry.SetValue(key, name, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&n), 4);
      } else {
        const std::uint8_t text[] = {'t', 0, 'e', 0, 'x', 0, 't', 0, 0, 0};
        registry.SetValue(key, name, REG_SZ, text, sizeof text);
      }
    }
    registry.CloseKey(key);
  }
  VirtualClock clock;
  std::unique_ptr<sim::SimulatedController> controller;
};

Prepared RegistryFlush(const fs::path& folder) {
  auto rig = std::make_shared<FlushRig>(folder);
  return {[rig] {
    const long result = rig->controller->GetPlatform().registry.FlushKey(HKEY_LOCAL_MACHINE);
    return RunNote{result == ERROR_SUCCESS, {}};
  }};
}

// Copying the bytes of the encoded registry into the mapped registry area.
Prepared RegistryFlushFloor(const fs::path& folder) {
  auto rig = std::make_shared<FlushRig>(folder);
  auto hive = std::make_shared<std::vector<std::uint8_t>>(sim::EncodeHive(rig->controller->Registry().Store()));
  std::string error;
  std::shared_ptr<sim::FlashFile> target = sim::FlashFile::Open(folder / "floor-flash.bin", &error);
  return {[hive, target] {
    const std::size_t n = std::min<std::size_t>(hive->size(), RegistryFlashAreaSize);
    std::memcpy(target->Data() + kRegistryOffset, hive->data(), n);
    return RunNote{true, std::to_string(hive->size() / 1024) + " KiB hive"};
  }};
}

// Start-up to the home screen: a script with no commands boots the
// controller, starts the utility headless and closes the home screen.
Prepared StartUp(const fs::path& folder) {
  auto clock = std::make_shared<VirtualClock>();
  BootController(folder, *clock);  // created once, before the clock runs
  const fs::path directory = folder / "controller";
  return {[clock, directory] {
    sim::ControllerOptions options;
    options.childOutput = sim::SimProcesses::ChildOutput::Discard;
    runner::SimulatedControllerProvider provider(directory, *clock, options);
    runner::Script script;
    std::ostringstream out, err;
    const int exit = runner::ScriptRunner(provider, out, err).Run(script);
    return RunNote{exit == runner::kExitOk, {}};
  }};
}

// Booting the controller alone: mapping the flash, reading the registry
// hive, starting the serial-bus modules.
Prepared StartUpFloor(const fs::path& folder) {
  auto clock = std::make_shared<VirtualClock>();
  BootController(folder, *clock);
  return {[clock, folder] { return RunNote{BootController(folder, *clock) != nullptr, {}}; }};
}

}  // namespace

std::vector<Measurement> AllMeasurements() {
  using P = std::function<Prepared(const fs::path&)>;
  return {
      {"Backup All", "copy the mapped flash's system area into a file, 1 MiB at a time", 3, P(BackupAll),
       P(BackupAllFloor)},
      {"Restore All", "read the backup file and copy it into the mapped flash", 3, P(RestoreAll),
       P(RestoreAllFloor)},
      {"ProgramFlashRange of the whole system area", "erase the area, read the file and copy it into the mapped flash",
       3, P(ProgramRange), P(ProgramRangeFloor)},
      {"OS write, flash work alone", "erase the OS area and copy each record into the mapped flash", 3,
       [](const fs::path& f) { return OsWrite(f, false); }, [](const fs::path& f) { return OsWriteFloor(f, false); }},
      {"OS write, with the page's pacing", "the same copy, then the page's pauses on the real clock", 1,
       [](const fs::path& f) { return OsWrite(f, true); }, [](const fs::path& f) { return OsWriteFloor(f, true); }},
      {"Registry flush of 5,000 values", "copy the encoded registry into the mapped registry area", 3,
       P(RegistryFlush), P(RegistryFlushFloor)},
      {"Start-up to the home screen (headless)", "boot the simulated controller alone", 3, P(StartUp),
       P(StartUpFloor)},
  };
}

}  // namespace talvon::perf
