// Backup All and Restore All on the default chips, each beside the floor of
// moving the same bytes in the same run: copying the mapped flash into a
// file, and reading the file and copying it into the mapped flash.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "flash/image_files.h"
#include "flash/transfer_buffer.h"
#include "operations/flash_files.h"
#include "platform/message_box.h"
#include "sim/flash/flash_file.h"
#include "sim/roles/sim_files.h"
#include "sim/flash/sim_flash.h"

namespace {

using namespace talvon;

constexpr char kBackupPath[] = "\\CompactFlash\\T5x5x_Backup.bak";

class SilentBoxes final : public AppMessageBoxes {
 public:
  int AppMessageBox(std::string_view, std::uint32_t) override {
    ++shown;
    return IDOK;
  }
  int shown = 0;
};

double PeakRssMiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

struct Rig {
  Rig() {
    dir = std::filesystem::temp_directory_path() / ("talvon-image-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "fs" / "CompactFlash");
    std::string error;
    flash = sim::SimFlash::Open(dir / "flash.bin", sim::DefaultFlashConfig(), &error);
    files = std::make_unique<sim::SimFiles>(dir / "fs");
    // Fill the system area with varied bytes so the check bytes mean something.
    std::vector<std::uint8_t> piece(TransferBuffer::Size);
    std::uint32_t x = 1;
    EraseFlashRange(*flash, FlashWindowBase, SystemFlashArea, SystemFlashAreaSize);
    for (std::uint32_t at = 0; at < SystemFlashAreaSize; at += TransferBuffer::Size) {
      const std::uint32_t n = std::min<std::uint32_t>(TransferBuffer::Size, SystemFlashAreaSize - at);
      for (std::uint32_t i = 0; i < n; ++i) piece[i] = static_cast<std::uint8_t>((x = x * 1103515245u + 12345u) >> 16);
      ProgramFlashRange(*flash, FlashWindowBase, SystemFlashArea + at, n, piece.data());
    }
  }
  ~Rig() {
    flash.reset();
    std::filesystem::remove_all(dir);
  }
  ImageFileContext Context() { return ImageFileContext{*files, *flash, boxes, transfer}; }
  std::filesystem::path HostBackup() const { return dir / "fs" / "CompactFlash" / "T5x5x_Backup.bak"; }

  std::filesystem::path dir;
  std::unique_ptr<sim::SimFlash> flash;
  std::unique_ptr<sim::SimFiles> files;
  SilentBoxes boxes;
  TransferBuffer transfer;
};

Rig& Shared() {
  static Rig rig;
  return rig;
}

void BM_BackupAllFloor(benchmark::State& state) {
  Rig& r = Shared();
  std::vector<std::uint8_t> piece(TransferBuffer::Size);
  for (auto _ : state) {
    std::FILE* out = std::fopen((r.dir / "floor.bak").c_str(), "wb");
    for (std::uint32_t at = 0; at < SystemFlashAreaSize; at += TransferBuffer::Size) {
      const std::uint32_t n = std::min<std::uint32_t>(TransferBuffer::Size, SystemFlashAreaSize - at);
      std::memcpy(piece.data(), r.flash->Contents() + (SystemFlashArea - FlashWindowBase) + at, n);
      std::fwrite(piece.data(), 1, n, out);
    }
    std::fclose(out);
  }
  state.SetBytesProcessed(state.iterations() * SystemFlashAreaSize);
}
BENCHMARK(BM_BackupAllFloor)->Unit(benchmark::kMillisecond);

void BM_BackupAll(benchmark::State& state) {
  Rig& r = Shared();
  for (auto _ : state) {
    if (BackupAllFile(r.Context(), kBackupPath) != 0) {
      state.SkipWithError("Backup All failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * SystemFlashAreaSize);
  state.counters["peakRssMiB"] = PeakRssMiB();
}
BENCHMARK(BM_BackupAll)->Unit(benchmark::kMillisecond);

void BM_RestoreAllFloor(benchmark::State& state) {
  Rig& r = Shared();
  if (!std::filesystem::exists(r.HostBackup())) BackupAllFile(r.Context(), kBackupPath);
  std::string error;
  auto copy = r.dir / "floor-flash.bin";
  auto mapped = sim::FlashFile::Open(copy, &error);
  std::vector<std::uint8_t> piece(TransferBuffer::Size);
  for (auto _ : state) {
    std::FILE* in = std::fopen(r.HostBackup().c_str(), "rb");
    for (std::uint32_t at = 0; at < SystemFlashAreaSize; at += TransferBuffer::Size) {
      const std::uint32_t n = std::min<std::uint32_t>(TransferBuffer::Size, SystemFlashAreaSize - at);
      if (std::fread(piece.data(), 1, n, in) != n) break;
      std::memcpy(mapped->Data() + (SystemFlashArea - FlashWindowBase) + at, piece.data(), n);
    }
    std::fclose(in);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * SystemFlashAreaSize);
}
BENCHMARK(BM_RestoreAllFloor)->Unit(benchmark::kMillisecond);

void BM_RestoreAll(benchmark::State& state) {
  Rig& r = Shared();
  if (!std::filesystem::exists(r.HostBackup())) BackupAllFile(r.Context(), kBackupPath);
  for (auto _ : state) {
    if (RestoreAllFile(r.Context(), kBackupPath) != 0) {
      state.SkipWithError("Restore All failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * SystemFlashAreaSize);
  state.counters["peakRssMiB"] = PeakRssMiB();
  state.counters["mappedFlashMiB"] = static_cast<double>(FlashWindowSize) / (1 << 20);
}
BENCHMARK(BM_RestoreAll)->Unit(benchmark::kMillisecond);

}  // namespace
