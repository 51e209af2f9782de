#include "sim/registry/registry_store.h"

#include <gtest/gtest.h>

namespace talvon::sim {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> list) { return list; }

TEST(RegistryStore, NamesMatchWithoutCaseAndKeepTheCaseFirstWritten) {
  RegistryStore store;
  RegistryKey* key = nullptr;
  bool created = false;
  ASSERT_EQ(store.Root().CreatePath("Comm\\FTPD", &key, &created), ERROR_SUCCESS);
  EXPECT_TRUE(created);
  RegistryKey* again = nullptr;
  ASSERT_EQ(store.Root().CreatePath("comm\\ftpd", &again, &created), ERROR_SUCCESS);
  EXPECT_FALSE(created);
  EXPECT_EQ(again, key);
  EXPECT_EQ(key->Path(), "Comm\\FTPD");
  EXPECT_EQ(store.KeyCount(), 2u);

  ASSERT_EQ(key->SetValue("UseAuthentication", REG_DWORD, Bytes({1, 0, 0, 0})), ERROR_SUCCESS);
  ASSERT_EQ(key->SetValue("useauthentication", REG_BINARY, Bytes({7})), ERROR_SUCCESS);
  ASSERT_EQ(key->ValueCount(), 1u);
  EXPECT_EQ(key->ValueAt(0).name, "UseAuthentication");
  EXPECT_EQ(key->ValueAt(0).type, REG_BINARY);
  EXPECT_EQ(key->ValueAt(0).data, Bytes({7}));
  // Only ASCII letters fold; other bytes must match exactly.
  EXPECT_EQ(FoldName("Ä-ABC"), "Ä-abc");
}

TEST(RegistryStore, EnumeratesInInsertionOrderAndReplacingKeepsThePlace) {
  RegistryStore store;
  RegistryKey& root = store.Root();
  for (const char* name : {"b", "a", "c"}) root.SetValue(name, REG_DWORD, Bytes({0, 0, 0, 0}));
  root.SetValue("A", REG_SZ, Bytes({}));
  root.DeleteValue("b");
  root.SetValue("b", REG_NONE, Bytes({}));
  ASSERT_EQ(root.ValueCount(), 3u);
  EXPECT_EQ(root.ValueAt(0).name, "a");
  EXPECT_EQ(root.ValueAt(1).name, "c");
  EXPECT_EQ(root.ValueAt(2).name, "b");

  RegistryKey* ignored = nullptr;
  for (const char* path : {"Z", "Y\\Q", "X"}) root.CreatePath(path, &ignored, nullptr);
  ASSERT_EQ(root.SubkeyCount(), 3u);
  EXPECT_EQ(root.SubkeyAt(0).Name(), "Z");
  EXPECT_EQ(root.SubkeyAt(1).Name(), "Y");
  EXPECT_EQ(root.SubkeyAt(2).Name(), "X");
}

TEST(RegistryStore, DeletingAKeyRemovesEverythingBelowIt) {
  RegistryStore store;
  RegistryKey* key = nullptr;
  store.Root().CreatePath("Drivers\\BuiltIn\\Serial5\\Unimodem", &key, nullptr);
  key->SetValue("Tsp", REG_SZ, Bytes({'U', 0, 0, 0}));
  store.Root().CreatePath("Drivers\\BuiltIn\\Serial6", &key, nullptr);
  EXPECT_EQ(store.Root().DeletePath("drivers\\builtin\\SERIAL5"), ERROR_SUCCESS);
  EXPECT_EQ(store.Find("Drivers\\BuiltIn\\Serial5\\Unimodem"), nullptr);
  EXPECT_EQ(store.Find("Drivers\\BuiltIn\\Serial5"), nullptr);
  EXPECT_NE(store.Find("Drivers\\BuiltIn\\Serial6"), nullptr);
  EXPECT_EQ(store.Root().DeletePath("Drivers\\BuiltIn\\Serial5"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(store.Root().DeletePath("Nowhere\\Serial5"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(store.Root().DeletePath(""), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(store.Root().DeleteValue("missing"), ERROR_FILE_NOT_FOUND);
}

TEST(RegistryStore, RefusesBadNamesAndOversizedData) {
  RegistryStore store;
  RegistryKey& root = store.Root();
  RegistryKey* key = nullptr;
  EXPECT_EQ(root.CreatePath(std::string(MaxRegistryKeyNameLength, 'k'), &key, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(root.CreatePath(std::string(MaxRegistryKeyNameLength + 1, 'k'), &key, nullptr), ERROR_INVALID_PARAMETER);
  for (const char* bad : {"a\\\\b", "\\a", "a\\", "tab\there", "line\nbreak"}) {
    EXPECT_EQ(root.CreatePath(bad, &key, nullptr), ERROR_INVALID_PARAMETER) << bad;
  }
  EXPECT_EQ(root.OpenPath("a\\\\b", &key), ERROR_INVALID_PARAMETER);

  EXPECT_EQ(root.SetValue(std::string(MaxRegistryValueNameLength, 'v'), REG_DWORD, Bytes({1, 2, 3, 4})), ERROR_SUCCESS);
  EXPECT_EQ(root.SetValue(std::string(MaxRegistryValueNameLength + 1, 'v'), REG_DWORD, Bytes({1})),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(root.SetValue("cr\r", REG_DWORD, Bytes({1})), ERROR_INVALID_PARAMETER);
  std::vector<std::uint8_t> big(MaxRegistryValueSize, 0xAB);
  EXPECT_EQ(root.SetValue("big", REG_BINARY, big), ERROR_SUCCESS);
  big.push_back(0);
  EXPECT_EQ(root.SetValue("big", REG_BINARY, big), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(root.FindValue("big")->data.size(), MaxRegistryValueSize);
}

TEST(RegistryStore, AKeyPathTooLongCreatesNothing) {
  RegistryStore store;
  RegistryKey* key = nullptr;
  // Three elements of 255, one of 254 and 3 separators: 1022 characters.
  std::string element(255, 'p');
  std::string path = element + "\\" + element + "\\" + element + "\\" + element.substr(1);
  ASSERT_EQ(store.Root().CreatePath(path, &key, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(key->PathLength(), 1022u);
  EXPECT_EQ(key->CreateSubkey("x", &key, nullptr), ERROR_SUCCESS);  // exactly 1024
  EXPECT_EQ(key->PathLength(), MaxRegistryKeyPathLength);
  EXPECT_EQ(key->CreateSubkey("y", &key, nullptr), ERROR_INVALID_PARAMETER);

  RegistryStore other;
  std::string tooLong = "ab\\" + path;  // 1025 characters, every element valid
  EXPECT_EQ(other.Root().CreatePath(tooLong, &key, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(other.KeyCount(), 0u);
  // Relative to a deep key, the whole path counts.
  RegistryKey* deep = nullptr;
  ASSERT_EQ(other.Root().CreatePath(path, &deep, nullptr), ERROR_SUCCESS);
  std::size_t before = other.KeyCount();
  EXPECT_EQ(deep->CreatePath("b\\c", &key, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(other.KeyCount(), before);
}

}  // namespace
}  // namespace talvon::sim
