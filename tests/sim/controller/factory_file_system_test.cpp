// A new controller's file system holds what its factory registry names: the
// servers' directories and the programs started at boot.
#include "sim/controller/factory_file_system.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "sim/registry/factory_registry.h"
#include "sim/registry/memory_hive_storage.h"
#include "sim/roles/sim_files.h"
#include "sim/registry/sim_registry.h"
#include "support/temp_dir.h"

namespace talvon::sim {
namespace {

TEST(FactoryFileSystem, HoldsEveryDirectoryAndProgramTheFactoryRegistryNames) {
  test::TempDir dir;
  std::string error;
  ASSERT_TRUE(WriteFactoryFileSystem(dir.Path(), &error)) << error;
  SimFiles files(dir.Path());
  MemoryHiveStorage storage;
  SimRegistry registry(storage);
  ASSERT_TRUE(registry.Boot(DefaultFactoryRegistry()).ok);

  const struct {
    const char* key;
    const char* value;
    bool directory;
  } named[] = {
      {"Comm\\FTPD", "DefaultDir", true},           {"Comm\\HTTPD\\VROOTS\\/", "Default", true},
      {"Comm\\HTTPD\\VROOTS\\/", "", true},         {"Comm\\HTTPD\\VROOTS\\/Velmar", "", true},
      {"Init", "Launch80", false},                  {"Init", "Launch81", false},
  };
  for (const auto& n : named) {
    const RegistryValue* value = registry.Store().FindValue(n.key, n.value);
    ASSERT_NE(value, nullptr) << n.key << " " << n.value;
    const std::string path = FromRegSz(value->data.data(), value->data.size());
    FindData found;
    ASSERT_TRUE(files.FindFirstFile(path, &found)) << path;
    EXPECT_EQ(found.isDirectory, n.directory) << path;
  }
}

}  // namespace
}  // namespace talvon::sim
