#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/registry/file_hive_storage.h"
#include "sim/registry/hive_format.h"
#include "sim/registry/memory_hive_storage.h"
#include "sim/registry/sim_registry.h"
#include "support/temp_dir.h"

namespace talvon::sim {
namespace {

namespace fs = std::filesystem;

class FileHiveStorageTest : public ::testing::Test {
 protected:
  test::TempDir temp_;
  const fs::path dir = temp_.Path();
};

TEST_F(FileHiveStorageTest, AMissingFileReadsAsABlankArea) {
  FileHiveStorage storage(dir / "registry.hive");
  std::vector<std::uint8_t> area = storage.Load();
  ASSERT_EQ(area.size(), HiveAreaSize);
  EXPECT_EQ(DecodeHive(area).status, HiveStatus::Blank);
}

TEST_F(FileHiveStorageTest, StoreFillsTheWholeAreaAndAShortFileReadsBlankPastItsEnd) {
  fs::path path = dir / "registry.hive";
  FileHiveStorage storage(path);
  ASSERT_TRUE(storage.Store({1, 2, 3}));
  EXPECT_EQ(fs::file_size(path), HiveAreaSize);
  std::vector<std::uint8_t> area = storage.Load();
  EXPECT_EQ(area[2], 3);
  EXPECT_EQ(area[3], 0xFF);
  EXPECT_EQ(area.back(), 0xFF);

  fs::resize_file(path, 2);
  area = storage.Load();
  ASSERT_EQ(area.size(), HiveAreaSize);
  EXPECT_EQ(area[1], 2);
  EXPECT_EQ(area[2], 0xFF);
  EXPECT_FALSE(storage.Store(std::vector<std::uint8_t>(HiveAreaSize + 1, 0)));
}

TEST_F(FileHiveStorageTest, RegistryFlushedToAFileBootsFromIt) {
  fs::path path = dir / "registry.hive";
  {
    FileHiveStorage storage(path);
    SimRegistry registry(storage);
    registry.Boot("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Velmar]\n\"Pa2\"=dword:00000003\n");
    ASSERT_EQ(registry.FlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  }
  FileHiveStorage storage(path);
  SimRegistry registry(storage);
  EXPECT_EQ(registry.Boot("REGEDIT4\n").source, RegistryBootSource::SavedHive);
  EXPECT_EQ(registry.Store().FindValue("Velmar", "Pa2")->data, (std::vector<std::uint8_t>{3, 0, 0, 0}));
  EXPECT_FALSE(fs::exists(dir / "registry.hive.tmp"));
}

TEST_F(FileHiveStorageTest, AFailedWriteKeepsThePreviousContent) {
  fs::path path = dir / "registry.hive";
  FileHiveStorage storage(path);
  ASSERT_TRUE(storage.Store({7, 7, 7}));
  // A directory where the temporary file must go makes the write fail.
  fs::create_directory(dir / "registry.hive.tmp");
  EXPECT_FALSE(storage.Store({8, 8, 8}));
  EXPECT_EQ(storage.Load()[0], 7);

  FileHiveStorage nowhere(dir / "no-such-dir" / "registry.hive");
  EXPECT_FALSE(nowhere.Store({1}));
}

TEST(MemoryHiveStorage, RefusedWritesLeaveTheAreaAlone) {
  MemoryHiveStorage storage;
  ASSERT_TRUE(storage.Store({1, 2}));
  storage.SetStoreFails(true);
  EXPECT_FALSE(storage.Store({3, 4}));
  storage.SetStoreFails(false);
  EXPECT_FALSE(storage.Store(std::vector<std::uint8_t>(HiveAreaSize + 1, 0)));
  std::vector<std::uint8_t> area = storage.Load();
  EXPECT_EQ(area[0], 1);
  EXPECT_EQ(area[2], 0xFF);
  EXPECT_EQ(storage.StoreCount(), 1);
}

}  // namespace
}  // namespace talvon::sim
