// Backup All and Restore All as the General Setting page runs them (a tap on
// its button, the page's questions answered) on a default simulated
// controller, each beside the floor of moving the same bytes in the same run:
// copying the mapped flash into a file, and reading the file and copying it
// into a copy of the mapped flash.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/home_dlg.h"
#include "app/utility_app.h"
#include "flash/flash_areas.h"
#include "flash/transfer_buffer.h"
#include "platform/headless/headless_driver.h"
#include "platform/message_box.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_134.h"
#include "sim/flash/flash_file.h"
#include "sim/controller/simulated_controller.h"

namespace {

using namespace talvon;

constexpr char kBackupPath[] = "\\CompactFlash\\T5x5x_Backup.bak";

struct Controller {
  Controller() {
    dir = std::filesystem::temp_directory_path() / ("talvon-general-bench-" + std::to_string(::getpid()));
    sim::ControllerOptions options;
    options.childOutput = sim::SimProcesses::ChildOutput::Discard;
    std::string error;
    controller = sim::SimulatedController::Boot(dir, clock, &error, options);
    if (!controller) std::fprintf(stderr, "the controller does not boot: %s\n", error.c_str());
  }
  ~Controller() {
    controller.reset();
    std::filesystem::remove_all(dir);
  }
  std::filesystem::path HostBackup() const { return dir / "fs" / "CompactFlash" / "T5x5x_Backup.bak"; }
  const std::uint8_t* SystemArea() { return controller->Flash().Contents() + (SystemFlashArea - FlashWindowBase); }

  std::filesystem::path dir;
  VirtualClock clock;
  std::unique_ptr<sim::SimulatedController> controller;
};

Controller& Shared() {
  static Controller c;
  return c;
}

// Runs the utility on the controller, opens the configuration sheet and
// hands the General Setting page to `steps`.
void OnPage(benchmark::State& state, const std::function<void(HeadlessDriver&, WindowHandle)>& steps) {
  Controller& c = Shared();
  if (!c.controller) {
    state.SkipWithError("the controller does not boot");
    return;
  }
  HeadlessBackend backend(c.clock);
  HeadlessDriver driver(backend);
  CUtilityApp app(c.controller->GetPlatform(), backend);
  bool done = false;
  backend.SetOperator([&] {
    if (done) return false;
    done = true;
    driver.Click(app.Session().mainWindow->Handle(), ids102::kLowerPicture);
    steps(driver, app.Session().ConfigurationPage(0)->Handle());
    return true;
  });
  app.InitInstance();
}

void BM_BackupAllFloor(benchmark::State& state) {
  Controller& c = Shared();
  if (!c.controller) return state.SkipWithError("the controller does not boot");
  std::vector<std::uint8_t> piece(TransferBuffer::Size);
  for (auto _ : state) {
    std::FILE* out = std::fopen((c.dir / "floor.bak").c_str(), "wb");
    for (std::uint32_t at = 0; at < SystemFlashAreaSize; at += TransferBuffer::Size) {
      const std::uint32_t n = std::min<std::uint32_t>(TransferBuffer::Size, SystemFlashAreaSize - at);
      std::memcpy(piece.data(), c.SystemArea() + at, n);
      std::fwrite(piece.data(), 1, n, out);
    }
    std::fclose(out);
  }
  state.SetBytesProcessed(state.iterations() * SystemFlashAreaSize);
}
BENCHMARK(BM_BackupAllFloor)->Unit(benchmark::kMillisecond);

void BM_PageBackupAll(benchmark::State& state) {
  OnPage(state, [&](HeadlessDriver& driver, WindowHandle page) {
    for (auto _ : state) {
      driver.Backend().Answers().QueueBoxAnswer(IDOK);  // "BackupAll OK !"
      driver.Click(page, ids134::kBackupAll);
    }
  });
  state.SetBytesProcessed(state.iterations() * SystemFlashAreaSize);
}
BENCHMARK(BM_PageBackupAll)->Unit(benchmark::kMillisecond);

void BM_RestoreAllFloor(benchmark::State& state) {
  Controller& c = Shared();
  if (!c.controller) return state.SkipWithError("the controller does not boot");
  std::string error;
  auto mapped = sim::FlashFile::Open(c.dir / "floor-flash.bin", &error);
  std::vector<std::uint8_t> piece(TransferBuffer::Size);
  for (auto _ : state) {
    std::FILE* in = std::fopen(c.HostBackup().c_str(), "rb");
    if (in == nullptr) return state.SkipWithError("run BM_PageBackupAll first: no backup file");
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

// Restore All reboots the controller at its end; the simulated controller
// only records that, so the page stays up for the next round.
void BM_PageRestoreAll(benchmark::State& state) {
  // Without a backup the page stops at its first check, which is no measure.
  if (!std::filesystem::exists(Shared().HostBackup())) {
    return state.SkipWithError("run BM_PageBackupAll first: no backup file");
  }
  OnPage(state, [&](HeadlessDriver& driver, WindowHandle page) {
    for (auto _ : state) {
      AnswerQueue& answers = driver.Backend().Answers();
      answers.QueueFile(kBackupPath);
      answers.QueueBoxAnswer(IDOK);  // "Please wait about 3 minutes, ..."
      answers.QueueBoxAnswer(IDOK);  // "Restore Backup File OK !"
      driver.Click(page, ids134::kRestoreAll);
    }
  });
  state.SetBytesProcessed(state.iterations() * SystemFlashAreaSize);
}
BENCHMARK(BM_PageRestoreAll)->Unit(benchmark::kMillisecond);

}  // namespace
