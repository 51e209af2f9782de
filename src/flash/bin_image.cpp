#include "flash/bin_image.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "flash/flash_areas.h"
#include "flash/image_files.h"
#include "flash/os_image_version.h"
#include "platform/little_endian.h"
#include "platform/text.h"

namespace talvon {
namespace {

constexpr std::uint64_t kOsAreaEnd = std::uint64_t{OsImageFlashArea} + OsImageFlashAreaSize;

}  // namespace

std::uint32_t BinChecksum(std::span<const std::uint8_t> data, std::uint32_t sum) {
  for (std::uint8_t byte : data) sum += byte;
  return sum;
}

bool BinImageReader::Fail(std::string problem) {
  if (problem_.empty()) problem_ = std::move(problem);
  return false;
}

bool BinImageReader::ReadHeader() {
  if (failed()) return false;
  // The size, when the stream can tell it, lets a cut-short record be named
  // before any of its data is read.
  if (file_.Seek(0, SEEK_END) == 0) fileSize_ = file_.Tell();
  if (file_.Seek(0, SEEK_SET) != 0) return Fail("The image file cannot be read.");
  std::uint8_t bytes[BinHeaderSize];
  const std::size_t got = file_.Read(bytes, sizeof bytes);
  position_ = static_cast<std::int64_t>(got);
  if (got < BinSignatureSize || std::memcmp(bytes, BinSignature, BinSignatureSize) != 0) {
    return Fail("The file is not a BIN image: it does not start with the signature B000FF.");
  }
  if (got < BinHeaderSize) return Fail("The BIN header is cut short.");
  header_.imageStart = LoadLe32(bytes + 7);
  header_.imageLength = LoadLe32(bytes + 11);
  if (header_.imageLength == 0) return Fail("The image length is 0.");
  if (header_.imageLength > OsImageFlashAreaSize) {
    return Fail(FormatText("The image length 0x%08X is larger than the OS image area (0x%08X bytes).",
                       header_.imageLength, OsImageFlashAreaSize));
  }
  headerRead_ = true;
  return true;
}

bool BinImageReader::CheckRecordPlace(const BinRecord& record) {
  const unsigned number = record.number;
  if (record.address < header_.imageStart) {
    return Fail(FormatText("Record %u lies outside the OS image area: its address 0x%08X is below the image start 0x%08X.",
                       number, record.address, header_.imageStart));
  }
  if (record.length > OsImageFlashAreaSize) {
    return Fail(FormatText("Record %u is too long: 0x%08X bytes is more than the OS image area holds.", number,
                       record.length));
  }
  const std::uint64_t flashStart = std::uint64_t{OsImageFlashArea} + (record.address - header_.imageStart);
  const std::uint64_t flashEnd = flashStart + record.length;
  if (flashStart >= kOsAreaEnd || flashEnd > kOsAreaEnd) {
    return Fail(FormatText("Record %u lies outside the OS image area: it would reach flash 0x%09llX, past 0x%08X.",
                       number, static_cast<unsigned long long>(flashEnd), RegistryFlashArea));
  }
  if (totalData_ + record.length > OsImageFlashAreaSize) {
    return Fail(FormatText("Record %u: the records hold more data than the OS image area (0x%08X bytes).", number,
                       OsImageFlashAreaSize));
  }
  return true;
}

BinStep BinImageReader::NextRecord(BinRecord* record) {
  if (failed()) return BinStep::Failed;
  if (ended_) return BinStep::End;
  if (!headerRead_) {
    Fail("The BIN header has not been read.");
    return BinStep::Failed;
  }
  if (dataLeft_ > 0) {
    position_ += dataLeft_;
    dataLeft_ = 0;
    if (file_.Seek(position_, SEEK_SET) != 0) {
      Fail(FormatText("Record %u data is cut short.", recordNumber_));
      return BinStep::Failed;
    }
  }
  std::uint8_t bytes[BinRecordHeaderSize];
  const std::size_t got = file_.Read(bytes, sizeof bytes);
  position_ += static_cast<std::int64_t>(got);
  const unsigned number = recordNumber_ + 1;
  if (got == 0) {
    Fail("The file ends without an end record.");
    return BinStep::Failed;
  }
  const bool endRecord = got >= 4 && LoadLe32(bytes) == 0;
  if (got < sizeof bytes) {
    Fail(endRecord ? std::string("The end record is cut short.") : FormatText("Record %u header is cut short.", number));
    return BinStep::Failed;
  }
  if (endRecord) {
    ended_ = true;
    return BinStep::End;
  }
  BinRecord next;
  next.number = number;
  next.address = LoadLe32(bytes);
  next.length = LoadLe32(bytes + 4);
  next.checksum = LoadLe32(bytes + 8);
  if (!CheckRecordPlace(next)) return BinStep::Failed;
  next.flashAddress = OsImageFlashArea + (next.address - header_.imageStart);
  if (fileSize_ >= 0 && position_ + next.length > fileSize_) {
    Fail(FormatText("Record %u data is cut short: 0x%08llX of 0x%08X bytes present.", number,
                static_cast<unsigned long long>(std::max<std::int64_t>(fileSize_ - position_, 0)), next.length));
    return BinStep::Failed;
  }
  recordNumber_ = number;
  currentLength_ = next.length;
  dataLeft_ = next.length;
  dataSum_ = 0;
  totalData_ += next.length;
  if (record) *record = next;
  return BinStep::Record;
}

std::size_t BinImageReader::ReadData(std::uint8_t* destination, std::size_t count) {
  if (failed() || destination == nullptr) return 0;
  const std::size_t wanted = std::min<std::size_t>(count, dataLeft_);
  if (wanted == 0) return 0;
  const std::size_t got = file_.Read(destination, wanted);
  position_ += static_cast<std::int64_t>(got);
  dataLeft_ -= static_cast<std::uint32_t>(got);
  dataSum_ = BinChecksum({destination, got}, dataSum_);
  if (got < wanted) {
    Fail(FormatText("Record %u data is cut short: 0x%08X of 0x%08X bytes present.", recordNumber_,
                currentLength_ - dataLeft_, currentLength_));
  }
  return got;
}

namespace {

// What the boot needs beyond well-formed records: the ROM signature in the
// OS area, put there by records that do not overlap.
class BootNeeds {
 public:
  // Notes the bytes of a record's data that land on the ROM signature.
  void Take(std::uint32_t areaOffset, const std::uint8_t* data, std::size_t count) {
    for (std::uint32_t k = 0; k < 4; ++k) {
      const std::uint64_t at = std::uint64_t{OsRomSignatureOffset} + k;
      if (at >= areaOffset && at < areaOffset + std::uint64_t{count}) {
        signature_[k] = data[at - areaOffset];
        covered_ |= 1u << k;
      }
    }
  }
  void AddRecord(const BinRecord& record) {
    if (record.length > 0) places_.push_back({record.flashAddress, record.flashAddress + std::uint64_t{record.length}, record.number});
  }
  // Empty when the records can boot.
  std::string Problem() {
    std::sort(places_.begin(), places_.end(), [](const Place& a, const Place& b) { return a.start < b.start; });
    for (std::size_t i = 1; i < places_.size(); ++i) {
      if (places_[i].start < places_[i - 1].end) {
        return FormatText("Records %u and %u overlap at flash 0x%08X.", std::min(places_[i - 1].number, places_[i].number),
                      std::max(places_[i - 1].number, places_[i].number), static_cast<unsigned>(places_[i].start));
      }
    }
    if (covered_ != 0xF || LoadLe32(signature_) != OsRomSignature) {
      return FormatText("The image does not put the ROM signature 0x%08X at flash 0x%08X: the controller would not boot it.",
                    OsRomSignature, OsImageFlashArea + OsRomSignatureOffset);
    }
    return {};
  }

 private:
  struct Place {
    std::uint64_t start;
    std::uint64_t end;
    std::uint32_t number;
  };
  std::vector<Place> places_;
  std::uint8_t signature_[4] = {};
  std::uint32_t covered_ = 0;
};

}  // namespace

OsImageCheck ValidateOsImage(FileStream& file, std::span<std::uint8_t> scratch) {
  std::array<std::uint8_t, 4096> fallback;
  if (scratch.empty()) scratch = fallback;
  OsImageCheck check;
  BinImageReader reader(file);
  BootNeeds boot;
  if (reader.ReadHeader()) {
    check.header = reader.header();
    BinRecord record;
    BinStep step;
    while ((step = reader.NextRecord(&record)) == BinStep::Record) {
      std::uint32_t areaOffset = record.flashAddress - OsImageFlashArea;
      while (reader.dataLeft() > 0) {
        const std::size_t got = reader.ReadData(scratch.data(), scratch.size());
        if (got == 0) break;
        boot.Take(areaOffset, scratch.data(), got);
        areaOffset += static_cast<std::uint32_t>(got);
      }
      if (reader.failed()) break;
      if (reader.dataSum() != record.checksum) {
        check.problem = FormatText("Record %u checksum mismatch: stored 0x%08X, computed 0x%08X.", record.number,
                               record.checksum, reader.dataSum());
        return check;
      }
      boot.AddRecord(record);
      ++check.records;
    }
    check.dataBytes = reader.totalData();
    if (step == BinStep::End) {
      // An end record first (or a first record at address 0, which reads as
      // one) leaves an erased OS area behind.
      check.problem = check.records == 0 ? "The image holds no data record: its first record is the end record."
                                         : boot.Problem();
      check.valid = check.problem.empty();
      return check;
    }
  }
  check.problem = reader.problem();
  return check;
}

int IsOsImageFile(Files& files, std::string_view path) {
  auto file = files.Open(path, "rb");
  if (!file) return -1;
  std::uint8_t bytes[BinSignatureSize];
  const std::size_t got = file->Read(bytes, sizeof bytes);
  return got == sizeof bytes && std::memcmp(bytes, BinSignature, sizeof bytes) == 0 ? 1 : 0;
}

}  // namespace talvon
