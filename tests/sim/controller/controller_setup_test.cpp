// Setting up a controller from the bench: modules in slots, and a REGEDIT4
// file made the registry the next boot reads.
#include "sim/controller/controller_setup.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/clock.h"
#include "sdk/controller_sdk.h"
#include "sim/controller/simulated_controller.h"
#include "support/temp_dir.h"

namespace talvon::sim {
namespace {

using test::TempDir;

class ControllerSetupTest : public ::testing::Test {
 protected:
  std::filesystem::path Dir(const char* name = "controller") const { return scratch_.Path() / name; }
  std::unique_ptr<ControllerFiles> Open(const char* name = "controller") {
    std::string error;
    auto files = OpenControllerFiles(Dir(name), &error);
    EXPECT_NE(files, nullptr) << error;
    return files;
  }
  std::unique_ptr<SimulatedController> Boot(const char* name = "controller") {
    ControllerOptions options;
    options.childOutput = SimProcesses::ChildOutput::Discard;
    std::string error;
    auto controller = SimulatedController::Boot(Dir(name), clock_, &error, options);
    EXPECT_NE(controller, nullptr) << error;
    return controller;
  }
  std::string NextBootRegistry(ControllerFiles& files) {
    std::ostringstream text;
    std::string error;
    EXPECT_TRUE(PrintBootRegistry(files, text, &error)) << error;
    return text.str();
  }

  TempDir scratch_;
  VirtualClock clock_;
};

TEST_F(ControllerSetupTest, ModulesPutIntoSlotsAnswerTheSdkAfterTheNextBoot) {
  {
    auto files = Open();
    std::string error;
    auto rs485 = ModuleForSlot("rs485-4port", std::nullopt, &error);
    ASSERT_TRUE(rs485) << error;
    ASSERT_TRUE(SetSlot(*files, 5, *rs485, &error)) << error;
    auto bus = ModuleForSlot("60", std::string("87060"), &error);
    ASSERT_TRUE(bus) << error;
    ASSERT_TRUE(SetSlot(*files, 6, *bus, &error)) << error;
    ASSERT_TRUE(SetSlot(*files, 1, SlotConfig{}, &error)) << error;
  }
  auto controller = Boot();
  ASSERT_NE(controller, nullptr);
  ControllerSdk& sdk = controller->GetPlatform().sdk;
  char name[8] = {};
  EXPECT_EQ(sdk.GetNameOfModule(5, name), ModuleFourPortRs485);
  EXPECT_STREQ(name, "8154");
  EXPECT_EQ(sdk.GetNameOfModule(6, name), 60);
  EXPECT_STREQ(name, ModuleSeriesText);
  EXPECT_EQ(sdk.GetNameOfModule(1, name), 0);
  controller.reset();  // one opener at a time
  auto files = Open();
  EXPECT_EQ(files->config.slots[5].busName, "87060");
}

TEST_F(ControllerSetupTest, ModulesTheControllerCannotHoldAreRefusedAndChangeNothing) {
  auto files = Open();
  const std::string before = test::ReadFile(Dir() / "controller.json");
  std::string error;
  for (const char* word : {"abc", "0", "-3", "12x", "rs232-8port", "99999999"}) {
    EXPECT_FALSE(ModuleForSlot(word, std::nullopt, &error)) << word;
  }
  EXPECT_FALSE(ModuleForSlot("rs232-2port", std::string("87001"), &error));
  auto module = ModuleForSlot("17", std::nullopt, &error);
  ASSERT_TRUE(module) << error;
  EXPECT_FALSE(SetSlot(*files, 0, *module, &error));
  EXPECT_FALSE(SetSlot(*files, 8, *module, &error));
  auto longName = ModuleForSlot("60", std::string(40, 'A'), &error);
  ASSERT_TRUE(longName);
  EXPECT_FALSE(SetSlot(*files, 2, *longName, &error));
  EXPECT_NE(error.find("busName"), std::string::npos) << error;
  EXPECT_EQ(test::ReadFile(Dir() / "controller.json"), before);
}

TEST_F(ControllerSetupTest, ExportedRegistryImportsIntoAnotherControllerUnchanged) {
  std::string exported;
  {
    auto controller = Boot("a");
    ASSERT_NE(controller, nullptr);
    ASSERT_TRUE(controller->Registry().ImportText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Bench]\n\"Rack\"=dword:00000007\n"
                                                  "\"Blob\"=hex:00,ff,10\n")
                    .ok);
    exported = controller->Registry().ExportText();
  }
  auto b = Open("b");
  std::string error;
  ASSERT_TRUE(ImportRegistry(*b, exported, false, &error)) << error;
  EXPECT_EQ(NextBootRegistry(*b), exported);
  b.reset();  // one opener at a time
  auto booted = Boot("b");
  ASSERT_NE(booted, nullptr);
  EXPECT_EQ(booted->RegistryBoot().source, RegistryBootSource::SavedHive);
  EXPECT_EQ(booted->Registry().ExportText(), exported);
}

TEST_F(ControllerSetupTest, MergedImportKeepsTheRestAndABadFileChangesNothing) {
  auto files = Open();
  const std::string factory = NextBootRegistry(*files);
  std::string error;
  EXPECT_FALSE(ImportRegistry(*files, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\X]\n\"v\"=dword:zz\n", true, &error));
  EXPECT_NE(error.find("line 4"), std::string::npos) << error;
  EXPECT_EQ(NextBootRegistry(*files), factory);

  ASSERT_TRUE(ImportRegistry(*files, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Bench]\n\"Rack\"=dword:00000002\n", true,
                             &error))
      << error;
  const std::string merged = NextBootRegistry(*files);
  EXPECT_NE(merged.find("[HKEY_LOCAL_MACHINE\\Bench]\n\"Rack\"=dword:00000002"), std::string::npos);
  std::istringstream lines(factory);
  for (std::string line; std::getline(lines, line);) EXPECT_NE(merged.find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace talvon::sim
