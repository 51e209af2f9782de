// Cost of the OS image update on the simulated chips (two interleaved Intel
// chips, 256 KiB blocks): checking a full-size image, erasing the OS image
// area block by block, the erase check, and writing the image record by
// record. The 5 ms pauses of the update run on a virtual clock here; on a
// real clock they add 10 ms per block and per record.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "flash/bin_image.h"
#include "flash/bin_image_builder.h"
#include "memory_stream.h"
#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "operations/os_image_writer.h"
#include "sim/flash/flash_config.h"
#include "sim/flash/sim_flash.h"

namespace talvon {
namespace {

using bench::MemoryStream;

class QuietProgress final : public OsImageProgress {
 public:
  void SetStatusText(std::string_view) override {}
  void SetProgressStep(int) override {}
  void SetProgressRange(int, int) override {}
  void SetProgressPos(int) override {}
  void PumpOneMessage() override {}
};

// flash.bin in a folder of its own for the life of the benchmark.
class BenchFlash {
 public:
  BenchFlash() {
    dir_ = std::filesystem::temp_directory_path() / ("talvon-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    std::string error;
    flash_ = sim::SimFlash::Open(dir_ / "flash.bin", sim::DefaultFlashConfig(), &error);
  }
  ~BenchFlash() {
    flash_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  sim::SimFlash& operator*() { return *flash_; }

 private:
  std::filesystem::path dir_;
  std::unique_ptr<sim::SimFlash> flash_;
};

const std::vector<std::uint8_t>& FullImage() {
  static const std::vector<std::uint8_t> image = BuildBinImage({.version = "TalvonOS bench"});
  return image;
}

void BM_ValidateFullOsImage(benchmark::State& state) {
  TransferBuffer transfer;
  for (auto _ : state) {
    MemoryStream file(FullImage());
    benchmark::DoNotOptimize(ValidateOsImage(file, transfer).valid);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * OsImageFlashAreaSize);
}
BENCHMARK(BM_ValidateFullOsImage)->Unit(benchmark::kMillisecond);

void BM_EraseOsAreaWithProgress(benchmark::State& state) {
  BenchFlash flash;
  VirtualClock clock;
  QuietProgress progress;
  for (auto _ : state) benchmark::DoNotOptimize(EraseOsAreaWithProgress({*flash, clock, progress}));
}
BENCHMARK(BM_EraseOsAreaWithProgress)->Unit(benchmark::kMillisecond);

void BM_CountUnerasedBytes(benchmark::State& state) {
  BenchFlash flash;
  TransferBuffer transfer;
  for (auto _ : state) benchmark::DoNotOptimize(CountUnerasedBytes(*flash, transfer));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * SystemFlashAreaSize);
}
BENCHMARK(BM_CountUnerasedBytes)->Unit(benchmark::kMillisecond);

// The whole flash work of one update: erase, check, write 31.5 MiB in
// 64 KiB records.
void BM_FullOsImageUpdate(benchmark::State& state) {
  BenchFlash flash;
  VirtualClock clock;
  QuietProgress progress;
  TransferBuffer transfer;
  for (auto _ : state) {
    EraseOsAreaWithProgress({*flash, clock, progress});
    benchmark::DoNotOptimize(CountUnerasedBytes(*flash, transfer));
    MemoryStream file(FullImage());
    const OsImageWriteResult result = WriteOsImageRecords({*flash, clock, progress}, file);
    if (result.outcome != OsImageWriteResult::Outcome::Written) state.SkipWithError("the write stopped");
  }
  state.counters["records"] = static_cast<double>((OsImageFlashAreaSize + 0xFFFF) / 0x10000);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * OsImageFlashAreaSize);
}
BENCHMARK(BM_FullOsImageUpdate)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace talvon
