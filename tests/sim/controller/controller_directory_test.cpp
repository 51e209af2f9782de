#include "sim/controller/controller_directory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>

#include "support/temp_dir.h"

namespace talvon::sim {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

EnvironmentLookup Environment(std::map<std::string, std::string> values) {
  return [values = std::move(values)](const char* name) -> const char* {
    auto it = values.find(name);
    return it == values.end() ? nullptr : it->second.c_str();
  };
}

TEST(ControllerDirectoryPath, FollowsTheDataHomeConvention) {
  EXPECT_EQ(DefaultControllerDirectory(Environment({{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/op"}})),
            fs::path("/data/talvon/controller"));
  // A relative XDG_DATA_HOME is to be ignored.
  EXPECT_EQ(DefaultControllerDirectory(Environment({{"XDG_DATA_HOME", "data"}, {"HOME", "/home/op"}})),
            fs::path("/home/op/.local/share/talvon/controller"));
  EXPECT_EQ(DefaultControllerDirectory(Environment({{"HOME", "/home/op"}})),
            fs::path("/home/op/.local/share/talvon/controller"));
  EXPECT_TRUE(DefaultControllerDirectory(Environment({})).empty());
}

TEST(ControllerDirectoryPath, OptionBeatsEnvironmentBeatsDefault) {
  auto env = Environment({{"TALVON_CONTROLLER", "/env/ctl"}, {"HOME", "/home/op"}});
  EXPECT_EQ(ResolveControllerDirectory("/opt/ctl", env), fs::path("/opt/ctl"));
  EXPECT_EQ(ResolveControllerDirectory("", env), fs::path("/env/ctl"));
  EXPECT_EQ(ResolveControllerDirectory("", Environment({{"TALVON_CONTROLLER", ""}, {"HOME", "/h"}})),
            fs::path("/h/.local/share/talvon/controller"));
}

TEST(ControllerDirectoryPath, ControllerOptionIsFoundInEitherSpelling) {
  std::string error;
  const char* separate[] = {"talvon-utility", "--controller", "/a", "--other"};
  EXPECT_EQ(FindControllerOption(4, separate, &error), "/a");
  const char* joined[] = {"talvon-utility", "--controller=/b"};
  EXPECT_EQ(FindControllerOption(2, joined, &error), "/b");
  const char* none[] = {"talvon-utility", "--controllers", "x"};
  EXPECT_EQ(FindControllerOption(3, none, &error), std::nullopt);
  EXPECT_TRUE(error.empty());
  const char* missing[] = {"talvon-utility", "--controller"};
  EXPECT_EQ(FindControllerOption(2, missing, &error), std::nullopt);
  EXPECT_EQ(error, "--controller needs a directory");
}

class ControllerDirectoryTest : public ::testing::Test {
 protected:
  ControllerDirectoryTest() {
    factory_.factoryRegistry = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Velmar]\n";
    factory_.createFlashImage = [this](const fs::path& file, const ControllerConfig&, std::string*) {
      flashImages_.push_back(file);
      WriteFile(file, "flash");
      return true;
    };
  }

  TempDir scratch_;
  FactoryContents factory_;
  std::vector<fs::path> flashImages_;
};

TEST_F(ControllerDirectoryTest, FirstUseCreatesTheFactoryController) {
  const fs::path root = scratch_.Path() / "deep" / "controller";
  std::string error;
  bool created = false;
  auto dir = ControllerDirectory::OpenOrCreate(root, factory_, &error, &created);
  ASSERT_TRUE(dir) << error;
  EXPECT_TRUE(created);
  EXPECT_EQ(ReadFile(dir->FactoryRegistryFile()), factory_.factoryRegistry);
  auto config = LoadControllerConfig(dir->ConfigFile(), &error);
  ASSERT_TRUE(config) << error;
  EXPECT_EQ(ControllerConfigToJson(*config), ControllerConfigToJson(factory_.config));
  EXPECT_TRUE(fs::is_directory(root / "fs" / "CompactFlash" / "Velmar" / "Tools"));
  for (const char* program : {"Windows/RegView.exe", "Windows/Calibrate_serial.exe", "Windows/Calibrate_usb.exe",
                              "Windows/intll.cpl", "CompactFlash/Vantro-I/Lumex/RegistryOCX.bat"}) {
    EXPECT_EQ(::access((root / "fs" / program).c_str(), X_OK), 0) << program;
  }
  ASSERT_EQ(flashImages_.size(), 1u);
  EXPECT_EQ(ReadFile(dir->FlashImageFile()), "flash");
  // Nothing of the building is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(root.parent_path()), fs::directory_iterator()), 1);
}

TEST_F(ControllerDirectoryTest, FactoryRegistryIsTheDefaultOneUnlessGiven) {
  std::string error;
  auto dir = ControllerDirectory::OpenOrCreate(scratch_.Path() / "controller", FactoryContents{}, &error);
  ASSERT_TRUE(dir) << error;
  EXPECT_EQ(ReadFile(dir->FactoryRegistryFile()), DefaultFactoryRegistry());
  EXPECT_FALSE(fs::exists(dir->FlashImageFile()));
}

TEST_F(ControllerDirectoryTest, LaterUseKeepsWhatTheControllerHolds) {
  const fs::path root = scratch_.Path() / "controller";
  std::string error;
  ASSERT_TRUE(ControllerDirectory::OpenOrCreate(root, factory_, &error));
  WriteFile(root / "controller.json", "{}");
  fs::remove(root / "fs" / "Windows" / "RegView.exe");
  bool created = true;
  ASSERT_TRUE(ControllerDirectory::OpenOrCreate(root, factory_, &error, &created));
  EXPECT_FALSE(created);
  EXPECT_EQ(ReadFile(root / "controller.json"), "{}");
  EXPECT_FALSE(fs::exists(root / "fs" / "Windows" / "RegView.exe"));
  EXPECT_EQ(flashImages_.size(), 1u);
}

TEST_F(ControllerDirectoryTest, EmptyDirectoryIsFilledButAForeignOneIsRefused) {
  std::string error;
  fs::create_directory(scratch_.Path() / "empty");
  EXPECT_TRUE(ControllerDirectory::OpenOrCreate(scratch_.Path() / "empty", factory_, &error)) << error;
  EXPECT_TRUE(fs::exists(scratch_.Path() / "empty" / "controller.json"));

  WriteFile(scratch_.Path() / "home" / "thesis.txt", "years of work");
  EXPECT_FALSE(ControllerDirectory::OpenOrCreate(scratch_.Path() / "home", factory_, &error));
  EXPECT_NE(error.find("not a controller directory"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch_.Path() / "home"), fs::directory_iterator()), 1);
}

TEST_F(ControllerDirectoryTest, FailedCreationLeavesNothingBehind) {
  factory_.createFlashImage = [](const fs::path&, const ControllerConfig&, std::string* error) {
    *error = "no room for flash.bin";
    return false;
  };
  std::string error;
  EXPECT_FALSE(ControllerDirectory::OpenOrCreate(scratch_.Path() / "controller", factory_, &error));
  EXPECT_EQ(error, "no room for flash.bin");
  EXPECT_TRUE(fs::is_empty(scratch_.Path()));
}

}  // namespace
}  // namespace talvon::sim
