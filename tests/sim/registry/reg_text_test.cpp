#include "sim/registry/reg_text.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/text.h"
#include "sim/registry/hive_format.h"

namespace talvon::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes& DataOf(const RegistryStore& store, std::string_view key, std::string_view value) {
  static const Bytes none;
  const RegistryValue* v = store.FindValue(key, value);
  EXPECT_NE(v, nullptr) << key << " " << value;
  return v != nullptr ? v->data : none;
}

std::uint32_t TypeOf(const RegistryStore& store, std::string_view key, std::string_view value) {
  const RegistryValue* v = store.FindValue(key, value);
  return v != nullptr ? v->type : 0xFFFFFFFF;
}

TEST(RegTextImport, ReadsEveryValueForm) {
  constexpr std::string_view text =
      "\xEF\xBB\xBFREGEDIT4\r\n"
      "\r\n"
      "; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\Drivers\\Display\\MQ200]\r\n"
      "\"CxScreen\"=dword:00000280\r\n"
      "\"Short\" = dword:1f ; trailing comment\r\n"
      "\"Path\"=\"C:\\\\Temp \\\"x\\\" ; not a comment\"\r\n"
      "@=\"default\"\r\n"
      "\"Blob\"=hex:01,02,\\\r\n"
      "  03 , ff\r\n"
      "\"Expand\"=hex(2):25,00,00,00\r\n"
      "\"Multi\"=hex(7):61,00,00,00,00,00\r\n"
      "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n"
      "\"Nothing\"=hex:\r\n"
      "[hklm\\Init]\n"
      "\"Launch80\"=\"\"\n";
  RegistryStore store;
  RegTextResult result = ImportRegText(text, store);
  ASSERT_TRUE(result.ok) << result.error;
  const char* key = "Drivers\\Display\\MQ200";
  EXPECT_EQ(DataOf(store, key, "CxScreen"), (Bytes{0x80, 0x02, 0, 0}));
  EXPECT_EQ(TypeOf(store, key, "CxScreen"), REG_DWORD);
  EXPECT_EQ(DataOf(store, key, "Short"), (Bytes{0x1F, 0, 0, 0}));
  EXPECT_EQ(FromRegSz(DataOf(store, key, "Path").data(), DataOf(store, key, "Path").size()),
            "C:\\Temp \"x\" ; not a comment");
  EXPECT_EQ(DataOf(store, key, ""), ToRegSz("default"));
  EXPECT_EQ(DataOf(store, key, "Blob"), (Bytes{1, 2, 3, 0xFF}));
  EXPECT_EQ(TypeOf(store, key, "Blob"), REG_BINARY);
  EXPECT_EQ(TypeOf(store, key, "Expand"), REG_EXPAND_SZ);
  EXPECT_EQ(TypeOf(store, key, "Multi"), REG_MULTI_SZ);
  EXPECT_EQ(TypeOf(store, key, "Qword"), 0xBu);
  EXPECT_TRUE(DataOf(store, key, "Nothing").empty());
  EXPECT_EQ(DataOf(store, "Init", "Launch80"), (Bytes{0, 0}));
}

TEST(RegTextImport, RemovesKeysAndValues) {
  RegistryStore store;
  ASSERT_TRUE(ImportRegText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B\\C]\n\"v\"=dword:1\n"
                            "[HKEY_LOCAL_MACHINE\\A]\n\"w\"=dword:2\n\"x\"=dword:3\n",
                            store)
                  .ok);
  RegTextResult result = ImportRegText("REGEDIT4\n[-HKEY_LOCAL_MACHINE\\a\\b]\n[HKEY_LOCAL_MACHINE\\A]\n\"W\"=-\n"
                                       "\"never\"=-\n[-HKEY_LOCAL_MACHINE\\Missing]\n",
                                       store);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(store.Find("A\\B"), nullptr);
  EXPECT_EQ(store.FindValue("A", "w"), nullptr);
  EXPECT_NE(store.FindValue("A", "x"), nullptr);
}

TEST(RegTextImport, ErrorsNameTheLineAndChangeNothing) {
  struct Case {
    std::string text;
    std::size_t line;
    const char* words;
  };
  const std::vector<Case> cases = {
      {"Windows Registry Editor Version 5.00\n", 1, "REGEDIT4"},
      {"", 1, "REGEDIT4"},
      {"REGEDIT4\n\"x\"=dword:1\n", 2, "before any [key]"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\Software]\n", 2, "HKEY_LOCAL_MACHINE"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n", 2, "invalid key path"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n", 2, "']'"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"open\n", 3, "not closed"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"a\\n\"\n", 3, "unknown escape"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=dword:123456789\n", 3, "1 to 8"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=dword:12 34\n", 3, "unexpected text"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:01,02,\\\n  03,zz\n", 4, "bad hexadecimal"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:01,\\\n", 3, "end of the text"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:012\n", 3, "','"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex(q):01\n", 3, "not hexadecimal"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=sz:abc\n", 3, "unknown value data"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\nx=dword:1\n", 3, "value name"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"" + std::string(256, 'n') + "\"=dword:1\n", 3, "invalid value name"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"" + std::string(40000, 's') + "\"\n", 3, "over 65536 bytes"},
      {"REGEDIT4\n[-HKEY_LOCAL_MACHINE]\n", 2, "cannot be removed"},
  };
  for (const Case& c : cases) {
    RegistryStore store;
    RegistryKey* keep = nullptr;
    store.Root().CreatePath("Keep", &keep, nullptr);
    keep->SetValue("v", REG_DWORD, Bytes{1, 0, 0, 0});
    Bytes before = EncodeHive(store);
    // The valid lines before the error must not be applied either.
    std::string text = c.text;
    RegTextResult result = ImportRegText(text, store);
    EXPECT_FALSE(result.ok) << c.text.substr(0, 80);
    EXPECT_EQ(result.line, c.line) << result.error;
    EXPECT_NE(result.error.find("line " + std::to_string(c.line) + ":"), std::string::npos) << result.error;
    EXPECT_NE(result.error.find(c.words), std::string::npos) << result.error;
    EXPECT_EQ(EncodeHive(store), before) << c.text.substr(0, 80);
  }
}

TEST(RegTextImport, AFailedImportDoesNotApplyEarlierLines) {
  RegistryStore store;
  RegTextResult result =
      ImportRegText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\New]\n\"a\"=dword:1\n[-HKEY_LOCAL_MACHINE\\Old]\n\"b\"=hex:q\n", store);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(store.KeyCount(), 0u);
}

RegistryStore AwkwardStore() {
  RegistryStore store;
  RegistryKey* key = nullptr;
  store.Root().SetValue("AtRoot", REG_DWORD, Bytes{1, 2, 3, 4});
  store.Root().CreatePath("Comm\\HTTPD\\VROOTS\\/", &key, nullptr);
  key->SetValue("", REG_SZ, ToRegSz("\\Windows\\www"));
  Bytes padded = ToRegSz("\\Temp");
  padded.resize(200, 0);
  key->SetValue("Default", REG_SZ, padded);
  key->SetValue("Odd", REG_SZ, Bytes{'a', 0, 'b'});
  key->SetValue("NoTerminator", REG_SZ, Bytes{'a', 0, 'b', 0});
  key->SetValue("Zero", REG_SZ, Bytes{});
  key->SetValue("Newline", REG_SZ, ToRegSz("a\nb"));
  key->SetValue("LoneSurrogate", REG_SZ, Bytes{0x00, 0xD8, 0, 0});
  key->SetValue("Unicode", REG_SZ, ToRegSz("Grüße Ω 😀"));
  key->SetValue("Quote\"and\\slash", REG_SZ, ToRegSz("\"quoted\" \\ back"));
  key->SetValue("@", REG_SZ, ToRegSz("not the default"));
  key->SetValue("ShortDword", REG_DWORD, Bytes{1, 2, 3});
  key->SetValue("LongDword", REG_DWORD, Bytes{1, 2, 3, 4, 5});
  key->SetValue("Type", 0xFEDCBA98, Bytes{9});
  key->SetValue("None", REG_NONE, Bytes{});
  key->SetValue("Big", REG_BINARY, Bytes(5000, 0xA5));
  key->SetValue("Multi", REG_MULTI_SZ, Bytes{'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0});
  store.Root().CreatePath("Odd ] Key\\with;semicolon\\ spaced ", &key, nullptr);
  store.Root().CreatePath("Empty\\Leaf", &key, nullptr);
  store.Root().CreatePath("-dash", &key, nullptr);
  return store;
}

TEST(RegTextRoundTrip, ExportThenImportGivesBackExactlyTheSameTree) {
  RegistryStore original = AwkwardStore();
  std::string text = ExportRegText(original);
  RegistryStore copy;
  RegTextResult result = ImportRegText(text, copy);
  ASSERT_TRUE(result.ok) << result.error << "\n" << text;
  EXPECT_EQ(EncodeHive(copy), EncodeHive(original)) << text;
  EXPECT_EQ(ExportRegText(copy), text);
}

TEST(RegTextExport, CleanStringsReadAsTextAndOthersAsHex) {
  std::string text = ExportRegText(AwkwardStore());
  EXPECT_EQ(text.rfind("REGEDIT4\n\n", 0), 0u);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE]\n\"AtRoot\"=dword:04030201\n"), std::string::npos);
  EXPECT_NE(text.find("@=\"\\\\Windows\\\\www\"\n"), std::string::npos);
  EXPECT_NE(text.find("\"Unicode\"=\"Grüße Ω 😀\"\n"), std::string::npos);
  EXPECT_NE(text.find("\"Quote\\\"and\\\\slash\"=\"\\\"quoted\\\" \\\\ back\"\n"), std::string::npos);
  EXPECT_NE(text.find("\"Odd\"=hex(1):61,00,62\n"), std::string::npos);
  EXPECT_NE(text.find("\"Zero\"=hex(1):\n"), std::string::npos);
  EXPECT_NE(text.find("\"Default\"=hex(1):5c,00,54,00"), std::string::npos);
  EXPECT_NE(text.find("\"Type\"=hex(fedcba98):09\n"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Empty\\Leaf]\n"), std::string::npos);
  // Long byte lists wrap as the usual tools write them.
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) EXPECT_LE(line.size(), 80u) << line;
}

}  // namespace
}  // namespace talvon::sim
