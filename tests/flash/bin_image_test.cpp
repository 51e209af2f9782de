#include "flash/bin_image.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "flash/bin_image_builder.h"
#include "flash/flash_areas.h"
#include "flash/image_files.h"
#include "flash/os_image_version.h"
#include "support/counting_files.h"

namespace talvon {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using test::CountingFiles;

constexpr std::uint32_t kStart = 0x80200000;
constexpr char kPath[] = "\\CompactFlash\\nk.bin";

std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t first = 1) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i * 7);
  return bytes;
}

// Data whose bytes 0x40 to 0x43 are the ROM signature.
std::vector<std::uint8_t> SignedBytes(std::size_t count, std::uint8_t first = 1) {
  std::vector<std::uint8_t> bytes = Bytes(count, first);
  const std::vector<std::uint8_t> head = OsImageHead("");
  std::copy(head.begin() + OsRomSignatureOffset, head.begin() + OsRomSignatureOffset + 4,
            bytes.begin() + OsRomSignatureOffset);
  return bytes;
}

// Header, three records of 0x100 bytes at the image start (the first with
// the ROM signature), and the end record.
std::vector<std::uint8_t> ThreeRecordImage() {
  std::vector<std::uint8_t> file;
  AppendBinHeader(file, kStart, 0x300);
  for (std::uint32_t i = 0; i < 3; ++i) {
    AppendBinRecord(file, kStart + i * 0x100, i == 0 ? SignedBytes(0x100, 0) : Bytes(0x100, std::uint8_t(i)));
  }
  AppendBinEndRecord(file, kStart);
  return file;
}

// File offset of the header of record `number` (1-based) in ThreeRecordImage.
std::size_t RecordAt(int number) { return BinHeaderSize + (number - 1) * (BinRecordHeaderSize + 0x100); }

void PutLe32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

class BinImageFile : public ::testing::Test {
 protected:
  OsImageCheck Check(const std::vector<std::uint8_t>& file, std::size_t scratchSize = 4096) {
    files.Put(kPath, file);
    auto stream = files.Open(kPath, "rb");
    std::vector<std::uint8_t> scratch(scratchSize);
    return ValidateOsImage(*stream, scratch);
  }
  CountingFiles files;
};

TEST_F(BinImageFile, BuiltImageValidatesAndCarriesItsVersion) {
  BinImageOptions options{.version = "TalvonOS 6.1", .imageStart = kStart, .size = 0x2345, .recordSize = 0x1000};
  const auto file = BuildBinImage(options);
  const OsImageCheck check = Check(file, 100);  // data passes through a small scratch in many pieces
  ASSERT_TRUE(check.valid) << check.problem;
  EXPECT_EQ(check.header.imageStart, kStart);
  EXPECT_EQ(check.header.imageLength, 0x2345u);
  EXPECT_EQ(check.records, 3u);
  EXPECT_EQ(check.dataBytes, 0x2345u);

  std::vector<std::uint8_t> head(OsImageHeadSize);
  FillOsImageContent(options, 0, head);
  EXPECT_TRUE(OsAreaHoldsImage(head));
  EXPECT_EQ(ReadOsVersion(head), "TalvonOS 6.1");
}

TEST_F(BinImageFile, ReaderHandsOutRecordsWithTheirFlashAddresses) {
  files.Put(kPath, ThreeRecordImage());
  auto stream = files.Open(kPath, "rb");
  BinImageReader reader(*stream);
  ASSERT_TRUE(reader.ReadHeader());
  BinRecord record;
  ASSERT_EQ(reader.NextRecord(&record), BinStep::Record);
  EXPECT_EQ(record.number, 1u);
  EXPECT_EQ(record.flashAddress, OsImageFlashArea);
  std::uint8_t piece[0x40];
  EXPECT_EQ(reader.ReadData(piece, sizeof piece), sizeof piece);  // leave the rest unread
  EXPECT_EQ(reader.dataLeft(), 0xC0u);
  ASSERT_EQ(reader.NextRecord(&record), BinStep::Record);
  EXPECT_EQ(record.flashAddress, OsImageFlashArea + 0x100);
  std::vector<std::uint8_t> data(0x100);
  EXPECT_EQ(reader.ReadData(data.data(), 0x1000), 0x100u);  // never more than the record holds
  EXPECT_EQ(data, Bytes(0x100, 1));
  EXPECT_EQ(reader.dataSum(), record.checksum);
  ASSERT_EQ(reader.NextRecord(&record), BinStep::Record);
  EXPECT_EQ(reader.NextRecord(&record), BinStep::End);
  EXPECT_EQ(reader.NextRecord(&record), BinStep::End);
  EXPECT_FALSE(reader.failed());
}

TEST_F(BinImageFile, EndRecordEndsTheListWhateverFollows) {
  auto file = ThreeRecordImage();
  const std::vector<std::uint8_t> garbage = {'B', '0', '0', 0xFF, 1, 2, 3};
  file.insert(file.end(), garbage.begin(), garbage.end());
  EXPECT_TRUE(Check(file).valid);
}

TEST_F(BinImageFile, RecordsMayFillTheAreaToItsLastByte) {
  std::vector<std::uint8_t> file;
  AppendBinHeader(file, kStart, OsImageFlashAreaSize);
  AppendBinRecord(file, kStart + OsImageFlashAreaSize - 0x10, Bytes(0x10));
  AppendBinRecord(file, kStart + 0x20, {});  // an empty record is harmless
  AppendBinRecord(file, kStart, SignedBytes(0x44));
  AppendBinEndRecord(file);
  const OsImageCheck check = Check(file);
  EXPECT_TRUE(check.valid) << check.problem;
  EXPECT_EQ(check.records, 3u);
}

// What the boot needs: these files are well formed, yet would leave a
// controller that does not start after its OS area was erased.
TEST_F(BinImageFile, ImagesTheControllerCannotBootAreRefused) {
  std::vector<std::uint8_t> file;
  AppendBinHeader(file, kStart, 0x100);
  AppendBinEndRecord(file, kStart);
  EXPECT_THAT(Check(file).problem, StartsWith("The image holds no data record"));

  file.clear();  // a first record at address 0 reads as the end record
  AppendBinHeader(file, 0, 0x100);
  AppendBinRecord(file, 0, SignedBytes(0x100));
  AppendBinEndRecord(file);
  EXPECT_THAT(Check(file).problem, StartsWith("The image holds no data record"));

  file.clear();
  AppendBinHeader(file, kStart, 0x100);
  AppendBinRecord(file, kStart, Bytes(0x100));
  AppendBinEndRecord(file);
  EXPECT_THAT(Check(file).problem, StartsWith("The image does not put the ROM signature 0x43454345 at flash 0xBCA80040"));

  file.clear();  // the signature in a record elsewhere is no signature
  AppendBinHeader(file, kStart, 0x200);
  AppendBinRecord(file, kStart + 0x100, SignedBytes(0x100));
  AppendBinEndRecord(file);
  EXPECT_THAT(Check(file).problem, StartsWith("The image does not put the ROM signature"));

  file = ThreeRecordImage();  // the second record laid over the first
  PutLe32(file, RecordAt(2), kStart + 0xF0);
  EXPECT_THAT(Check(file).problem, StartsWith("Records 1 and 2 overlap at flash 0xBCA800F0"));
}

TEST_F(BinImageFile, SignatureSplitOverRecordsInAnyOrderIsFound) {
  const std::vector<std::uint8_t> data = SignedBytes(0x80);
  std::vector<std::uint8_t> file;
  AppendBinHeader(file, kStart, 0x80);
  AppendBinRecord(file, kStart + 0x42, std::span(data).subspan(0x42));
  AppendBinRecord(file, kStart, std::span(data).first(0x42));
  AppendBinEndRecord(file);
  const OsImageCheck check = Check(file, 3);
  EXPECT_TRUE(check.valid) << check.problem;
}

struct Damage {
  const char* name;
  void (*apply)(std::vector<std::uint8_t>& file);
  const char* problem;  // what the message starts with
};

class DamagedBinImage : public BinImageFile, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedBinImage, IsRefusedWithItsReason) {
  auto file = ThreeRecordImage();
  GetParam().apply(file);
  const OsImageCheck check = Check(file);
  EXPECT_FALSE(check.valid);
  EXPECT_THAT(check.problem, StartsWith(GetParam().problem));
}

const Damage kDamages[] = {
    {"LowerCaseSignature", [](auto& f) { std::memcpy(f.data(), "b000ff\n", 7); }, "The file is not a BIN image"},
    {"CarriageReturnSignature",
     [](auto& f) {
       const std::uint8_t crlf[] = {'B', '0', '0', '0', 'F', 'F', '\r', '\n'};
       f.erase(f.begin(), f.begin() + 7);
       f.insert(f.begin(), crlf, crlf + 8);
     },
     "The file is not a BIN image"},
    {"Empty", [](auto& f) { f.clear(); }, "The file is not a BIN image"},
    {"HeaderCutShort", [](auto& f) { f.resize(12); }, "The BIN header is cut short."},
    {"ImageLengthZero", [](auto& f) { PutLe32(f, 11, 0); }, "The image length is 0."},
    {"ImageLengthPastArea", [](auto& f) { PutLe32(f, 11, OsImageFlashAreaSize + 1); }, "The image length 0x01EC0001"},
    {"ChecksumOffByOne", [](auto& f) { f[RecordAt(3) + 12 + 5] += 1; }, "Record 3 checksum mismatch"},
    {"AddressBelowImageStart", [](auto& f) { PutLe32(f, RecordAt(2), kStart - 1); }, "Record 2 lies outside"},
    {"RecordReachingPastArea",
     [](auto& f) { PutLe32(f, RecordAt(2), kStart + OsImageFlashAreaSize - 0xFF); }, "Record 2 lies outside"},
    {"RecordStartingPastArea", [](auto& f) { PutLe32(f, RecordAt(1), kStart + OsImageFlashAreaSize); },
     "Record 1 lies outside"},
    {"AddressThatWouldWrap", [](auto& f) { PutLe32(f, RecordAt(2), 0xFFFFFFF0); }, "Record 2 lies outside"},
    {"HugeLength", [](auto& f) { PutLe32(f, RecordAt(1) + 4, 0xFFFFFFFF); }, "Record 1 is too long"},
    {"LengthPastFileEnd", [](auto& f) { PutLe32(f, RecordAt(3) + 4, 0x1000); }, "Record 3 data is cut short"},
    {"DataCutShort", [](auto& f) { f.resize(RecordAt(2) + 12 + 0x80); }, "Record 2 data is cut short"},
    {"RecordHeaderCutShort", [](auto& f) { f.resize(RecordAt(2) + 6); }, "Record 2 header is cut short."},
    {"NoEndRecord", [](auto& f) { f.resize(RecordAt(4)); }, "The file ends without an end record."},
    {"EndRecordCutShort", [](auto& f) { f.resize(RecordAt(4) + 8); }, "The end record is cut short."},
};

INSTANTIATE_TEST_SUITE_P(Faults, DamagedBinImage, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BinImageFile, RecordsHoldingMoreThanTheAreaAreRefused) {
  // Two records over the same place add up to more data than the area holds.
  // The file is sparse: its data reads as zeros without taking up the disk.
  std::vector<std::uint8_t> head;
  AppendBinHeader(head, kStart, OsImageFlashAreaSize);
  const std::uint8_t record1[12] = {0x00, 0x00, 0x20, 0x80, 0x00, 0x00, 0xEC, 0x01, 0, 0, 0, 0};
  head.insert(head.end(), record1, record1 + 12);
  files.Put(kPath, head);
  std::vector<std::uint8_t> second;
  AppendBinRecord(second, kStart, Bytes(4));
  AppendBinEndRecord(second);
  const auto host = files.HostPath(kPath);
  std::filesystem::resize_file(host, head.size() + OsImageFlashAreaSize);
  std::FILE* f = std::fopen(host.c_str(), "ab");
  std::fwrite(second.data(), 1, second.size(), f);
  std::fclose(f);

  auto stream = files.Open(kPath, "rb");
  TransferBuffer transfer;
  const OsImageCheck check = ValidateOsImage(*stream, transfer);
  EXPECT_FALSE(check.valid);
  EXPECT_THAT(check.problem, HasSubstr("more data than the OS image area"));
}

TEST_F(BinImageFile, ReaderRefusesRecordsBeyondTheAreaEvenUnvalidated) {
  auto file = ThreeRecordImage();
  PutLe32(file, RecordAt(2), 0xBE940000);  // a writer that skipped validation still gets no such record
  files.Put(kPath, file);
  auto stream = files.Open(kPath, "rb");
  BinImageReader reader(*stream);
  ASSERT_TRUE(reader.ReadHeader());
  BinRecord record;
  EXPECT_EQ(reader.NextRecord(&record), BinStep::Record);
  EXPECT_EQ(reader.NextRecord(&record), BinStep::Failed);
  EXPECT_EQ(reader.NextRecord(&record), BinStep::Failed);
  EXPECT_THAT(reader.problem(), StartsWith("Record 2 lies outside"));
}

TEST(IsOsImageFile, LooksAtTheSevenSignatureBytesOnly) {
  CountingFiles files;
  auto put = [&](std::string_view text) {
    files.Put(kPath, std::vector<std::uint8_t>(text.begin(), text.end()));
    return IsOsImageFile(files, kPath);
  };
  EXPECT_EQ(put("B000FF\n"), 1);
  EXPECT_EQ(put("B000FF\nanything at all"), 1);
  EXPECT_EQ(put("B000FF\r\n"), 0);
  EXPECT_EQ(put("b000ff\n"), 0);
  EXPECT_EQ(put("B000FF"), 0);
  EXPECT_EQ(put(""), 0);
  EXPECT_EQ(IsOsImageFile(files, "\\CompactFlash\\missing.bin"), -1);
  EXPECT_EQ(files.opened, 6);
  EXPECT_EQ(files.stillOpen(), 0);
}

}  // namespace
}  // namespace talvon
