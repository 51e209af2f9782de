// Power fails at a bus cycle in the middle of flash work: a registry flush
// (Confirm Registry), an OS image write and a Restore All. After every cut
// the controller boots the old or the new registry on the old or the new OS
// image, or refuses to start with the recovery message; and an operation
// that reported success left what it wrote.
//
// The suite tries a few cut points per operation; scripts/power-loss-sweep
// sets TALVON_POWER_LOSS_POINTS and runs the whole sweep.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "flash/bin_image_builder.h"
#include "flash/flash_areas.h"
#include "flash/image_files.h"
#include "operations/flash_files.h"
#include "pages/update/update_page.h"
#include "platform/templates/ids_102.h"
#include "platform/templates/ids_129.h"
#include "platform/templates/ids_133.h"
#include "platform/text.h"
#include "sim/registry/flash_hive_storage.h"
#include "sim/registry/sim_registry.h"
#include "sim/controller/simulated_controller.h"
#include "support/controller_folder.h"
#include "support/utility_test.h"

namespace talvon::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr char kBackup[] = "\\CompactFlash\\T5x5x_Backup.bak";

int PointsPerOperation(int inTheSuite) {
  const char* wanted = std::getenv("TALVON_POWER_LOSS_POINTS");
  return wanted != nullptr && std::atoi(wanted) > 0 ? std::atoi(wanted) : inTheSuite;
}

// Passes every access on to the controller's flash and notes the bus
// cycle of every 16th store: where cuts tell most.
class StoreTrace final : public FlashWindow {
 public:
  explicit StoreTrace(sim::SimFlash& flash) : flash_(flash) {}
  std::uint8_t Load8(std::uint32_t a) override { return flash_.Load8(a); }
  std::uint16_t Load16(std::uint32_t a) override { return flash_.Load16(a); }
  std::uint32_t Load32(std::uint32_t a) override { return flash_.Load32(a); }
  void Store8(std::uint32_t a, std::uint8_t v) override { Note(), flash_.Store8(a, v); }
  void Store16(std::uint32_t a, std::uint16_t v) override { Note(), flash_.Store16(a, v); }
  void Store32(std::uint32_t a, std::uint32_t v) override { Note(), flash_.Store32(a, v); }
  void CopyOut(std::uint32_t a, void* d, std::size_t n) override { flash_.CopyOut(a, d, n); }
  std::vector<std::uint64_t> stores;  // bus cycles done before every 16th store

 private:
  void Note() {
    if (count_++ % 16 == 0) stores.push_back(flash_.Stats().busCycles);
  }
  std::uint64_t count_ = 0;
  sim::SimFlash& flash_;
};

// What the controller holds: the registry's mark and the OS image area.
struct Held {
  std::string mark;
  Bytes osArea;
};

class PowerLossSweep : public UtilityTest {
 protected:
  // The operation, run with the utility up; true when it reported success.
  using Operation = std::function<bool(UtilitySession&, HeadlessDriver&)>;

  void SetUp() override {
    auto controller = Boot(nullptr);
    ASSERT_NE(controller, nullptr);
    factoryMark_ = Mark(*controller);
    SetMark(*controller, "old");
    ASSERT_EQ(controller->GetPlatform().registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    old_ = {"old", OsArea(*controller)};
    controller.reset();
    pristine_ = ReadHostFile(Dir() / "flash.bin");
  }

  fs::path Dir() const { return dir_.Dir(); }

  std::unique_ptr<sim::SimulatedController> Boot(std::string* error) { return dir_.Boot(error); }

  static Bytes ReadHostFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void WriteHostFile(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  static std::string Mark(sim::SimulatedController& controller) {
    Registry& registry = controller.GetPlatform().registry;
    HKEY key = 0;
    if (registry.OpenKey(HKEY_LOCAL_MACHINE, "Init", KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return "<no key>";
    std::uint8_t data[200];
    std::uint32_t size = sizeof data;
    std::uint32_t type = 0;
    const long rc = registry.QueryValue(key, "Launch88", &type, data, &size);
    registry.CloseKey(key);
    return rc == ERROR_SUCCESS ? FromRegSz(data, size) : "<no value>";
  }
  static void SetMark(sim::SimulatedController& controller, std::string_view text) {
    Registry& registry = controller.GetPlatform().registry;
    HKEY key = 0;
    ASSERT_EQ(registry.CreateKey(HKEY_LOCAL_MACHINE, "Init", &key, nullptr), ERROR_SUCCESS);
    const auto bytes = ToRegSz(text);
    registry.SetValue(key, "Launch88", REG_SZ, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    registry.CloseKey(key);
  }
  static Bytes OsArea(sim::SimulatedController& controller) {
    const std::uint8_t* flash = controller.Flash().Contents();
    return Bytes(flash + (OsImageFlashArea - FlashWindowBase),
                 flash + (OsImageFlashArea - FlashWindowBase) + OsImageFlashAreaSize);
  }

  // Runs the utility from the pristine flash; `operation` starts once the
  // home screen is up, with power failing `cut` bus cycles into it (0:
  // never). With `trace`, the stores are noted instead. Answers whether the
  // operation reported success and how many bus cycles it took.
  std::pair<bool, std::uint64_t> RunOnce(const Operation& operation, std::uint64_t cut, StoreTrace** trace) {
    WriteHostFile(Dir() / "flash.bin", pristine_);
    auto controller = Boot(nullptr);
    if (controller == nullptr) return {false, 0};
    sim::SimFlash& flash = controller->Flash();
    std::unique_ptr<StoreTrace> tracer;
    Platform base = controller->GetPlatform();
    if (trace != nullptr) tracer = std::make_unique<StoreTrace>(flash);
    FlashWindow& window = tracer ? static_cast<FlashWindow&>(*tracer) : base.flash;
    // The controller's registry, kept in flash through the same window, so
    // that the trace sees the flush too.
    sim::FlashHiveStorage storage(window);
    sim::SimRegistry registry(storage);
    const Bytes factory = ReadHostFile(Dir() / "factory.reg");
    EXPECT_TRUE(registry.Boot(std::string(factory.begin(), factory.end())).ok);
    Platform platform{registry,   base.files, base.processes, base.serialPorts, base.memory,
                      base.clock, window,     base.sdk};
    SetUpRun(platform, dir_.Clock());
    bool reported = false;
    std::uint64_t start = 0;
    Run([&] {
      start = flash.Stats().busCycles;
      if (cut != 0) flash.CutPowerAtCycle(start + cut);
      reported = operation(Session(), Driver());
    });
    const std::uint64_t used = flash.Stats().busCycles - start;
    EndRun();
    if (tracer) {
      for (std::uint64_t& at : tracer->stores) at -= start;
      *trace = tracer.release();
    }
    return {reported, used};
  }

  struct Tally {
    int points = 0;
    int oldRegistry = 0;
    int newRegistry = 0;
    int refused = 0;
  };

  // Sweeps `points` cut points over the operation: half spread evenly over
  // its bus cycles from its first store on, half over its stores (each just
  // before or just after one). `fresh` is what the operation leaves when it completes.
  Tally Sweep(const char* name, const Operation& operation, int points, bool mayRefuse) {
    StoreTrace* traced = nullptr;
    const auto [completed, total] = RunOnce(operation, 0, &traced);
    std::unique_ptr<StoreTrace> trace(traced);
    EXPECT_TRUE(completed) << name << " does not complete without a cut";
    Held fresh;
    {
      auto after = Boot(nullptr);
      if (after == nullptr) return {};
      fresh = {Mark(*after), OsArea(*after)};
    }
    // Reads before the first store change nothing: the even half starts there.
    const std::size_t stores = trace->stores.size();
    const std::uint64_t first = stores > 0 ? trace->stores.front() + 1 : 1;
    std::vector<std::uint64_t> cuts;
    const int even = std::max(points / 2, 1);
    for (int i = 0; i < even; ++i) cuts.push_back(first + (total - first) * (2 * i + 1) / (2 * even));
    for (int i = 0; i < points - even && stores > 0; ++i) {
      const std::size_t j = stores * (2 * i + 1) / (2 * (points - even));
      cuts.push_back(trace->stores[j] + 1 + (i % 2));
    }

    Tally tally;
    for (const std::uint64_t cut : cuts) {
      SCOPED_TRACE(std::string(name) + ": power cut at bus cycle " + std::to_string(cut) + " of " +
                   std::to_string(total));
      const bool reported = RunOnce(operation, cut, nullptr).first;
      std::string error;
      auto controller = Boot(&error);
      ++tally.points;
      if (controller == nullptr) {
        ++tally.refused;
        EXPECT_TRUE(mayRefuse) << error;
        EXPECT_NE(error.find("talvon-sim recover"), std::string::npos) << error;
        EXPECT_FALSE(reported) << "success reported for a controller that does not start";
        continue;
      }
      const std::string mark = Mark(*controller);
      const bool isOld = mark == old_.mark, isNew = mark == fresh.mark;
      EXPECT_TRUE(isOld || isNew) << "registry booted with " << mark;
      EXPECT_NE(mark, factoryMark_ == fresh.mark ? "<never>" : factoryMark_) << "the factory registry booted";
      const Bytes os = OsArea(*controller);
      const bool osOld = os == old_.osArea, osNew = os == fresh.osArea;
      EXPECT_TRUE(osOld || osNew) << "the controller boots an OS image area that is neither the old nor the new";
      if (reported) {
        EXPECT_TRUE(isNew && osNew) << "success reported, yet the flash does not hold what was written";
      }
      (isNew ? tally.newRegistry : tally.oldRegistry)++;
    }
    std::printf("[ sweep    ] %s: %d cut points over %llu bus cycles (%zu stores): %d old registry, %d new registry, "
                "%d refused with the recovery message\n",
                name, tally.points, static_cast<unsigned long long>(total), stores, tally.oldRegistry,
                tally.newRegistry, tally.refused);
    return tally;
  }

  ControllerFolder dir_;
  Bytes pristine_;
  Held old_;
  std::string factoryMark_;
};

TEST_F(PowerLossSweep, RegistryFlushBootsTheOldOrTheNewRegistry) {
  const Tally tally = Sweep(
      "registry flush",
      [](UtilitySession& session, HeadlessDriver& driver) {
        HKEY key = 0;
        session.platform.registry.CreateKey(HKEY_LOCAL_MACHINE, "Init", &key, nullptr);
        const auto bytes = ToRegSz("new");
        session.platform.registry.SetValue(key, "Launch88", REG_SZ, bytes.data(),
                                           static_cast<std::uint32_t>(bytes.size()));
        session.platform.registry.CloseKey(key);
        driver.AnswerBox(IDYES);  // save
        driver.AnswerBox(IDNO);   // no reboot
        EXPECT_EQ(driver.Click(session.mainWindow->Handle(), ids102::kLowerPicture), DriverResult::Done);
        EXPECT_EQ(driver.Click(session.RebootSheet().Handle(), ids129::kConfirmRegistryButton), DriverResult::Done);
        // Success is the reboot question; a failed flush says so instead.
        const auto boxes = driver.GetTranscript().MessageBoxes();
        return !boxes.empty() && boxes.back().caption == "System Reboot";
      },
      PointsPerOperation(6), false);
  EXPECT_EQ(tally.refused, 0);
}

TEST_F(PowerLossSweep, OsImageWriteBootsOldOrNewOrAsksForRecovery) {
  WriteHostFile(Dir() / "fs" / "CompactFlash" / "nk.bin",
                BuildBinImage({.version = "TalvonOS 12", .size = 0x20000, .recordSize = 0x8000}));
  Sweep(
      "OS image write",
      [](UtilitySession& session, HeadlessDriver& driver) {
        EXPECT_EQ(driver.Click(session.mainWindow->Handle(), ids102::kLowerPicture), DriverResult::Done);
        EXPECT_EQ(driver.SelectTab(session.RebootSheet().Handle(), ids129::kTabControl, 1), DriverResult::Done);
        driver.AnswerFile("\\CompactFlash\\nk.bin");
        EXPECT_EQ(driver.Click(session.page1->Handle(), ids133::kBrowseButton), DriverResult::Done);
        EXPECT_EQ(driver.Click(session.page1->Handle(), ids133::kWriteButton), DriverResult::Done);
        return driver.DisplayValue(session.page1->Handle(), ids133::kStatusLine) ==
               "Now Write Flash Memory --> 100% done";
      },
      PointsPerOperation(6), true);
}

TEST_F(PowerLossSweep, RestoreAllBootsOldOrNewOrAsksForRecovery) {
  // The backup holds another registry and a changed OS image.
  {
    auto controller = Boot(nullptr);
    ASSERT_NE(controller, nullptr);
    SetMark(*controller, "backup");
    ASSERT_EQ(controller->GetPlatform().registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  }
  Bytes flash = ReadHostFile(Dir() / "flash.bin");
  flash[OsImageFlashArea - FlashWindowBase + 0x123456] ^= 0x5A;
  WriteHostFile(Dir() / "flash.bin", flash);
  {
    auto controller = Boot(nullptr);
    ASSERT_NE(controller, nullptr);
    Platform& p = controller->GetPlatform();
    TransferBuffer transfer;
    struct : AppMessageBoxes {
      int AppMessageBox(std::string_view, std::uint32_t) override { return IDOK; }
    } boxes;
    ASSERT_EQ(BackupAllFile(ImageFileContext{p.files, p.flash, boxes, transfer}, kBackup), 0);
  }
  Sweep(
      "Restore All",
      [](UtilitySession& session, HeadlessDriver&) {
        const ImageFileContext context{session.platform.files, session.platform.flash, session.AppBoxes(),
                                       session.transfer};
        return RestoreAllFile(context, kBackup) == 0;
      },
      PointsPerOperation(2), true);
}

}  // namespace
}  // namespace talvon::test
