// Programming the whole system area on the default chips, beside the floor
// of moving the same bytes: reading them from a file and copying them into
// the mapped flash.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "sim/flash/flash_file.h"
#include "sim/flash/sim_flash.h"

namespace {

using namespace talvon;

constexpr std::size_t kPiece = 1u << 20;

struct Bench {
  Bench() {
    dir = std::filesystem::temp_directory_path() / ("talvon-flash-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::vector<char> data(SystemFlashAreaSize);
    std::uint32_t x = 1;
    for (char& c : data) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
    std::ofstream(dir / "image.bin", std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    std::string error;
    flash = sim::SimFlash::Open(dir / "flash.bin", sim::DefaultFlashConfig(), &error);
  }
  ~Bench() {
    flash.reset();
    std::filesystem::remove_all(dir);
  }
  std::filesystem::path dir;
  std::unique_ptr<sim::SimFlash> flash;
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

// Reads the image piece by piece and hands each piece to `sink`.
template <class Sink>
bool StreamImage(const std::filesystem::path& file, Sink sink) {
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (!f) return false;
  std::vector<std::uint8_t> buffer(kPiece);
  bool good = true;
  for (std::uint32_t done = 0; done < SystemFlashAreaSize && good;) {
    const std::size_t want = std::min<std::size_t>(kPiece, SystemFlashAreaSize - done);
    good = std::fread(buffer.data(), 1, want, f) == want && sink(done, buffer.data(), want);
    done += static_cast<std::uint32_t>(want);
  }
  std::fclose(f);
  return good;
}

// Reading the image and copying it into a mapped flash file; with `erase`,
// the area is first set to erased bytes, as the performance table's OS write
// floor does (the floor of BM_EraseAndProgramSystemArea).
void FloorCopy(benchmark::State& state, bool erase) {
  Bench& b = Shared();
  std::string error;
  // A flash file of its own: the simulated flash holds its file locked.
  auto mapped = sim::FlashFile::Open(b.dir / "floor.bin", &error);
  if (!mapped) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::uint8_t* area = mapped->Data() + (SystemFlashArea - FlashWindowBase);
  for (auto _ : state) {
    if (erase) std::memset(area, 0xFF, SystemFlashAreaSize);
    StreamImage(b.dir / "image.bin", [&](std::uint32_t at, const std::uint8_t* p, std::size_t n) {
      std::memcpy(area + at, p, n);
      return true;
    });
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * SystemFlashAreaSize);
}
void BM_FloorReadAndCopyIntoMappedFlash(benchmark::State& state) { FloorCopy(state, false); }
BENCHMARK(BM_FloorReadAndCopyIntoMappedFlash)->Unit(benchmark::kMillisecond);
void BM_FloorEraseReadAndCopyIntoMappedFlash(benchmark::State& state) { FloorCopy(state, true); }
BENCHMARK(BM_FloorEraseReadAndCopyIntoMappedFlash)->Unit(benchmark::kMillisecond);

void BM_EraseAndProgramSystemArea(benchmark::State& state) {
  Bench& b = Shared();
  b.flash->ResetStats();  // the counters below are per iteration of this benchmark only
  for (auto _ : state) {
    if (!EraseFlashRange(*b.flash, FlashWindowBase, SystemFlashArea, SystemFlashAreaSize)) {
      state.SkipWithError("erase failed");
      break;
    }
    const bool good = StreamImage(b.dir / "image.bin", [&](std::uint32_t at, const std::uint8_t* p, std::size_t n) {
      return ProgramFlashRange(*b.flash, FlashWindowBase, SystemFlashArea + at, static_cast<std::uint32_t>(n), p) == 1;
    });
    if (!good) {
      state.SkipWithError("program failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * SystemFlashAreaSize);
  state.counters["busCyclesPerUnit"] =
      static_cast<double>(b.flash->Stats().busCycles) / static_cast<double>(b.flash->Stats().programs);
  state.counters["projectedHardwareMinutes"] = static_cast<double>(b.flash->Stats().projectedMicroseconds) / 6e7 /
                                               static_cast<double>(state.iterations());
}
BENCHMARK(BM_EraseAndProgramSystemArea)->Unit(benchmark::kMillisecond);

}  // namespace
