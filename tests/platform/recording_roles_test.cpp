#include "platform/headless/recording_roles.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace talvon {
namespace {

class MissingPrograms final : public Processes {
 public:
  bool CreateProcess(std::string_view path, bool, ProcessInformation*) override {
    return path == "\\windows\\RegView.exe";
  }
  bool ResumeThread(std::uint32_t) override { return true; }
  bool OpenThroughShellAndWait(std::string_view) override { return false; }
};

TEST(RecordedPlatform, WritesStartsAndRebootsAndPassesEverythingOn) {
  test::FakeController controller;
  MissingPrograms programs;
  Platform base{controller.registry, controller.files, programs,         controller.serial,
                controller.memory,   controller.clock, controller.flash, controller.sdk};
  Transcript transcript;
  RecordedPlatform recorded(base, transcript);
  EXPECT_TRUE(recorded.platform.processes.CreateProcess("\\windows\\RegView.exe", false, nullptr));
  EXPECT_FALSE(recorded.platform.processes.CreateProcess("\\windows\\Calibrate_usb.exe", false, nullptr));
  EXPECT_FALSE(recorded.platform.processes.OpenThroughShellAndWait("\\Windows\\intll.cpl"));
  EXPECT_FALSE(recorded.sdk.RebootRequested());
  recorded.platform.sdk.Reset_TalVon();
  EXPECT_TRUE(recorded.sdk.RebootRequested());
  EXPECT_EQ(controller.sdk.resets, 1);
  EXPECT_EQ(transcript.StartedPrograms(), std::vector<std::string>{"\\windows\\RegView.exe"});
  ASSERT_EQ(transcript.Events().size(), 4u);
  EXPECT_TRUE(std::get<ProgramStartEvent>(transcript.Events()[2]).throughShell);
  EXPECT_EQ(transcript.Reboots(), 1);
  EXPECT_EQ(&recorded.platform.registry, &base.registry);
}

}  // namespace
}  // namespace talvon
