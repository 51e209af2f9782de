// talvon-bin and talvon-sim as a user runs them: one verdict on an image
// from both, and a controller held by another opener refused at once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "flash/bin_image_builder.h"
#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "flash/os_image_version.h"
#include "run_tool.h"
#include "sim/controller/simulated_controller.h"
#include "support/temp_dir.h"

namespace talvon::test {
namespace {

// "talvon-bin ..." and "talvon-sim ..." run the tools just built.
ToolRun RunBuiltTool(const std::string& arguments) {
  const std::string tool = arguments.substr(0, arguments.find(' '));
  return RunTool(std::string(tool == "talvon-bin" ? TALVON_BIN : TALVON_SIM) + arguments.substr(tool.size()));
}

class ImageAndLockTools : public ::testing::Test {
 protected:
  std::string Put(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const auto path = dir_.Path() / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }
  std::string Controller() const { return (dir_.Path() / "controller").string(); }

  TempDir dir_;
};

TEST_F(ImageAndLockTools, ImageWithoutRomSignatureIsRefusedByVerifyListAndRecoverAlike) {
  std::vector<std::uint8_t> unsigned_;
  AppendBinHeader(unsigned_, 0x80200000, 0x100);
  AppendBinRecord(unsigned_, 0x80200000, std::vector<std::uint8_t>(0x100, 0x11));
  AppendBinEndRecord(unsigned_);
  const std::string bad = Put("unsigned.bin", unsigned_);

  const ToolRun verify = RunBuiltTool("talvon-bin verify " + bad);
  EXPECT_EQ(verify.exitCode, 1);
  EXPECT_NE(verify.output.find("does not put the ROM signature"), std::string::npos) << verify.output;
  const ToolRun list = RunBuiltTool("talvon-bin list " + bad);
  EXPECT_EQ(list.exitCode, 1);
  EXPECT_NE(list.output.find("ROM signature absent"), std::string::npos) << list.output;
  EXPECT_NE(list.output.find("verdict       The image does not put the ROM signature"), std::string::npos)
      << list.output;

  ASSERT_EQ(RunBuiltTool("talvon-sim create --controller " + Controller()).exitCode, 0);
  ASSERT_EQ(RunBuiltTool("talvon-sim wipe-os --controller " + Controller()).exitCode, 0);
  const ToolRun recover = RunBuiltTool("talvon-sim recover --controller " + Controller() + " --image " + bad);
  EXPECT_EQ(recover.exitCode, 1);
  EXPECT_EQ(recover.output.find("boots again"), std::string::npos) << recover.output;
  const ToolRun info = RunBuiltTool("talvon-sim info --controller " + Controller());
  EXPECT_NE(info.output.find("OS image    no image: the area is erased"), std::string::npos) << info.output;

  const std::string good = Put("good.bin", BuildBinImage({.version = "TalvonOS 9", .size = 0x8000}));
  EXPECT_EQ(RunBuiltTool("talvon-bin verify " + good).exitCode, 0);
  const ToolRun recovered = RunBuiltTool("talvon-sim recover --controller " + Controller() + " --image " + good);
  EXPECT_EQ(recovered.exitCode, 0) << recovered.output;
  EXPECT_NE(RunBuiltTool("talvon-sim info --controller " + Controller()).output.find("present, version TalvonOS 9"),
            std::string::npos);
}

TEST_F(ImageAndLockTools, InfoTellsAnInterruptedImageWriteFromAnErasedArea) {
  ASSERT_EQ(RunBuiltTool("talvon-sim create --controller " + Controller()).exitCode, 0);
  {
    // An image write cut short: data in the area, the signature not yet written.
    VirtualClock clock;
    std::string error;
    auto controller = sim::SimulatedController::Boot(Controller(), clock, &error);
    ASSERT_NE(controller, nullptr) << error;
    const std::uint32_t signature = OsImageFlashArea + OsRomSignatureOffset;
    ASSERT_EQ(EraseFlashRange(controller->Flash(), FlashWindowBase, OsImageFlashArea, 0x40000), 1);
    const std::uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(ProgramFlashRange(controller->Flash(), FlashWindowBase, signature + 0x100, sizeof data, data), 1);
  }
  const ToolRun info = RunBuiltTool("talvon-sim info --controller " + Controller());
  EXPECT_NE(info.output.find("no bootable image"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("an image write that did not finish"), std::string::npos) << info.output;
}

TEST_F(ImageAndLockTools, ControllerHeldByTheUtilityIsRefusedToTheToolAtOnce) {
  VirtualClock clock;
  std::string error;
  sim::ControllerOptions options;
  options.childOutput = sim::SimProcesses::ChildOutput::Discard;
  auto held = sim::SimulatedController::Boot(Controller(), clock, &error, options);
  ASSERT_NE(held, nullptr) << error;
  const ToolRun info = RunBuiltTool("talvon-sim info --controller " + Controller());
  EXPECT_EQ(info.exitCode, 1);
  EXPECT_NE(info.output.find("controller in use"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("process " + std::to_string(::getpid())), std::string::npos) << info.output;
  held.reset();
  EXPECT_EQ(RunBuiltTool("talvon-sim info --controller " + Controller()).exitCode, 0);
}

}  // namespace
}  // namespace talvon::test
