#include "sim/registry/hive_format.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "sim/registry/factory_registry.h"
#include "sim/registry/reg_text.h"

namespace talvon::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

RegistryStore SampleStore() {
  RegistryStore store;
  RegistryKey* key = nullptr;
  store.Root().SetValue("", REG_SZ, Bytes{'r', 0, 0, 0});
  store.Root().CreatePath("Drivers\\Display\\MQ200", &key, nullptr);
  key->SetValue("CxScreen", REG_DWORD, Bytes{0x80, 0x02, 0, 0});
  key->SetValue("Odd", REG_SZ, Bytes{'a', 0, 'b'});
  key->SetValue("Empty", REG_BINARY, Bytes{});
  key->SetValue("Strange", 0x12345678, Bytes{1, 2, 3});
  store.Root().CreatePath("Comm\\HTTPD\\VROOTS\\/", &key, nullptr);
  key->SetValue("Default", REG_SZ, Bytes(200, 0));
  store.Root().CreatePath("EmptyKey", &key, nullptr);
  return store;
}

// A hive image around a hand-made payload, with a correct header and CRC,
// so the decoder's checks beyond the checksum can be reached.
Bytes WrapPayload(const Bytes& payload, std::uint16_t version = HiveFormatVersion) {
  Bytes image = {'T', 'V', 'R', 'H', static_cast<std::uint8_t>(version), static_cast<std::uint8_t>(version >> 8), 0, 0};
  auto length = static_cast<std::uint32_t>(payload.size());
  for (int s = 0; s < 32; s += 8) image.push_back(static_cast<std::uint8_t>(length >> s));
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, image.data(), 12);
  if (!payload.empty()) crc = crc32(crc, payload.data(), static_cast<uInt>(payload.size()));
  for (int s = 0; s < 32; s += 8) image.push_back(static_cast<std::uint8_t>(crc >> s));
  image.insert(image.end(), payload.begin(), payload.end());
  return image;
}

// Little builder for payload records.
struct Payload {
  Bytes bytes;
  Payload& U16(std::uint16_t v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
  }
  Payload& U32(std::uint32_t v) {
    for (int s = 0; s < 32; s += 8) bytes.push_back(static_cast<std::uint8_t>(v >> s));
    return *this;
  }
  Payload& Name(std::string_view n) {
    U16(static_cast<std::uint16_t>(n.size()));
    bytes.insert(bytes.end(), n.begin(), n.end());
    return *this;
  }
  Payload& Value(std::string_view n, std::uint32_t type, const Bytes& data) {
    Name(n).U32(type).U32(static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return *this;
  }
};

HiveDecodeResult DecodePayload(const Payload& p) { return DecodeHive(WrapPayload(p.bytes)); }

TEST(HiveFormat, RoundTripKeepsNamesOrderTypesAndExactBytes) {
  RegistryStore store = SampleStore();
  Bytes image = EncodeHive(store);
  HiveDecodeResult decoded = DecodeHive(image);
  ASSERT_EQ(decoded.status, HiveStatus::Valid) << decoded.error;
  EXPECT_EQ(EncodeHive(decoded.store), image);
  const RegistryValue* odd = decoded.store.FindValue("drivers\\display\\mq200", "odd");
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(odd->name, "Odd");
  EXPECT_EQ(odd->data, (Bytes{'a', 0, 'b'}));
  EXPECT_EQ(decoded.store.FindValue("Comm\\HTTPD\\VROOTS\\/", "Default")->data.size(), 200u);
  EXPECT_NE(decoded.store.Find("EmptyKey"), nullptr);

  // Blank padding after the hive, as the area holds it, is ignored.
  image.resize(HiveAreaSize, 0xFF);
  EXPECT_EQ(DecodeHive(image).status, HiveStatus::Valid);
}

TEST(HiveFormat, TheFactoryRegistryFitsTheAreaWithRoomToSpare) {
  RegistryStore store;
  ASSERT_TRUE(ImportRegText(DefaultFactoryRegistry(), store).ok);
  EXPECT_LT(EncodeHive(store).size(), HiveAreaSize / 10);
}

TEST(HiveFormat, BlankAreaIsBlankAndOtherGarbageIsDamaged) {
  EXPECT_EQ(DecodeHive(Bytes(HiveAreaSize, 0xFF)).status, HiveStatus::Blank);
  HiveDecodeResult zeros = DecodeHive(Bytes(HiveAreaSize, 0x00));
  EXPECT_EQ(zeros.status, HiveStatus::Damaged);
  EXPECT_NE(zeros.error.find("signature"), std::string::npos);
  EXPECT_EQ(DecodeHive(Bytes{'T', 'V'}).status, HiveStatus::Damaged);
}

TEST(HiveFormat, EveryTruncationIsRejected) {
  Bytes image = EncodeHive(SampleStore());
  for (std::size_t length = 0; length < image.size(); ++length) {
    Bytes cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
    HiveDecodeResult result = DecodeHive(cut);
    EXPECT_NE(result.status, HiveStatus::Valid) << "length " << length;
  }
}

TEST(HiveFormat, EveryFlippedByteIsRejected) {
  Bytes image = EncodeHive(SampleStore());
  for (std::size_t i = 0; i < image.size(); ++i) {
    for (std::uint8_t mask : {0x01, 0x80, 0xFF}) {
      Bytes damaged = image;
      damaged[i] ^= mask;
      HiveDecodeResult result = DecodeHive(damaged);
      ASSERT_EQ(result.status, HiveStatus::Damaged) << "byte " << i << " mask " << int(mask);
      ASSERT_FALSE(result.error.empty());
    }
  }
}

// With the checksum made right again, the structure checks alone must hold:
// every flip either still gives a consistent tree or is refused.
TEST(HiveFormat, FlippedPayloadWithAValidChecksumNeverCrashes) {
  Bytes image = EncodeHive(SampleStore());
  Bytes payload(image.begin() + HiveHeaderSize, image.end());
  for (std::size_t i = 0; i < payload.size(); ++i) {
    for (std::uint8_t mask : {0x01, 0x20, 0x80, 0xFF}) {
      Bytes damaged = payload;
      damaged[i] ^= mask;
      HiveDecodeResult result = DecodeHive(WrapPayload(damaged));
      if (result.status == HiveStatus::Valid) {
        HiveDecodeResult again = DecodeHive(EncodeHive(result.store));
        ASSERT_EQ(again.status, HiveStatus::Valid) << "byte " << i;
      } else {
        ASSERT_FALSE(result.error.empty());
      }
    }
  }
}

TEST(HiveFormat, HostileStructuresAreRefusedWithAReason) {
  struct Case {
    const char* what;
    Payload payload;
    const char* expected;
  };
  std::vector<Case> cases;
  cases.push_back({"huge value count", Payload().Name("").U32(0xFFFFFFFF).U32(0), "value count"});
  cases.push_back({"huge subkey count", Payload().Name("").U32(0).U32(0x40000000), "subkey count"});
  cases.push_back({"data past end",
                   Payload().Name("").U32(1).Name("v").U32(REG_BINARY).U32(1000).U32(0),
                   "runs past the end"});
  {
    Payload p;
    p.Name("").U32(1).Name("v").U32(REG_BINARY).U32(MaxRegistryValueSize + 1);
    p.bytes.resize(p.bytes.size() + MaxRegistryValueSize + 1);
    p.U32(0);
    cases.push_back({"oversized value", p, "larger than the registry allows"});
  }
  cases.push_back({"name past end", Payload().Name("").U32(1).U16(500).U32(0).U32(0).U32(0), "value name runs past the end"});
  cases.push_back({"duplicate values",
                   Payload().Name("").U32(2).Value("Port", REG_DWORD, {1, 0, 0, 0}).Value("PORT", REG_DWORD, {2, 0, 0, 0}).U32(0),
                   "duplicate value name"});
  cases.push_back({"duplicate keys",
                   Payload().Name("").U32(0).U32(2).Name("Init").U32(0).U32(0).Name("init").U32(0).U32(0),
                   "duplicate key name"});
  cases.push_back({"key name with backslash", Payload().Name("").U32(0).U32(1).Name("a\\b").U32(0).U32(0),
                   "invalid key name"});
  cases.push_back({"empty key name",
                   Payload().Name("").U32(0).U32(1).Name("").U32(1).Value("v", REG_DWORD, {0, 0, 0, 0}).U32(0),
                   "invalid key name"});
  cases.push_back({"control character in value name",
                   Payload().Name("").U32(1).Value("a\nb", REG_SZ, {}).U32(0), "invalid value name"});
  cases.push_back({"named root", Payload().Name("HKLM").U32(0).U32(0), "root key has a name"});
  cases.push_back({"trailing bytes", Payload().Name("").U32(0).U32(0).U32(0), "data after the tree"});
  cases.push_back({"empty payload", Payload(), "truncated"});
  {
    // 700 nested one-letter keys: deeper than any key path the registry allows.
    Payload p;
    p.Name("").U32(0).U32(1);
    for (int i = 0; i < 700; ++i) p.Name("k").U32(0).U32(1);
    p.Name("k").U32(0).U32(0);
    cases.push_back({"deep nesting", p, "key path too long"});
  }
  for (const Case& c : cases) {
    HiveDecodeResult result = DecodePayload(c.payload);
    EXPECT_EQ(result.status, HiveStatus::Damaged) << c.what;
    EXPECT_NE(result.error.find(c.expected), std::string::npos) << c.what << ": " << result.error;
    EXPECT_EQ(result.store.KeyCount(), 0u) << c.what;
  }
}

TEST(HiveFormat, HeaderFieldsAreChecked) {
  Bytes minimal = Payload().Name("").U32(0).U32(0).bytes;
  EXPECT_EQ(DecodeHive(WrapPayload(minimal)).status, HiveStatus::Valid);
  EXPECT_NE(DecodeHive(WrapPayload(minimal, 2)).error.find("version"), std::string::npos);
  Bytes image = WrapPayload(minimal);
  image[8] = 0xFF;
  image[9] = 0xFF;
  image[10] = 0xFF;
  image[11] = 0x7F;
  EXPECT_NE(DecodeHive(image).error.find("runs past the area"), std::string::npos);
}

}  // namespace
}  // namespace talvon::sim
