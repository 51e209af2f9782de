#include "sim/registry/hive_format.h"

#include <zlib.h>

#include <algorithm>
#include <string_view>

#include "platform/little_endian.h"

namespace talvon::sim {

namespace {

constexpr std::uint8_t HiveMagic[4] = {'T', 'V', 'R', 'H'};
// Smallest possible records, used to refuse counts the remaining bytes
// cannot hold before reading any of them.
constexpr std::size_t MinValueRecord = 2 + 4 + 4;
constexpr std::size_t MinKeyRecord = 2 + 1 + 4 + 4;

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutName(std::vector<std::uint8_t>& out, const std::string& name) {
  PutU16(out, static_cast<std::uint16_t>(name.size()));
  out.insert(out.end(), name.begin(), name.end());
}

void EncodeKey(std::vector<std::uint8_t>& out, const RegistryKey& key) {
  PutName(out, key.Name());
  AppendLe32(out, static_cast<std::uint32_t>(key.ValueCount()));
  for (std::size_t i = 0; i < key.ValueCount(); ++i) {
    const RegistryValue& value = key.ValueAt(i);
    PutName(out, value.name);
    AppendLe32(out, value.type);
    AppendLe32(out, static_cast<std::uint32_t>(value.data.size()));
    out.insert(out.end(), value.data.begin(), value.data.end());
  }
  AppendLe32(out, static_cast<std::uint32_t>(key.SubkeyCount()));
  for (std::size_t i = 0; i < key.SubkeyCount(); ++i) EncodeKey(out, key.SubkeyAt(i));
}

std::uint32_t HiveCrc(std::span<const std::uint8_t> header, std::span<const std::uint8_t> payload) {
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, header.data(), 12);
  // zlib treats a null buffer as a request for the initial value, so an
  // empty payload must not be passed at all.
  if (!payload.empty()) crc = crc32(crc, payload.data(), static_cast<uInt>(payload.size()));
  return static_cast<std::uint32_t>(crc);
}

// Reads the payload; the first failure stops it and is kept with its offset.
class PayloadReader {
 public:
  explicit PayloadReader(std::span<const std::uint8_t> payload) : data_(payload) {}

  bool ReadKey(RegistryKey& key) {
    std::uint32_t valueCount = 0;
    if (!ReadCount(&valueCount, MinValueRecord, "value count")) return false;
    for (std::uint32_t i = 0; i < valueCount; ++i) {
      if (!ReadValue(key)) return false;
    }
    std::uint32_t subkeyCount = 0;
    if (!ReadCount(&subkeyCount, MinKeyRecord, "subkey count")) return false;
    for (std::uint32_t i = 0; i < subkeyCount; ++i) {
      std::size_t at = pos_;
      std::string_view name;
      if (!ReadName(&name, "key name")) return false;
      if (CheckKeyName(name) != ERROR_SUCCESS) return Fail(at, "invalid key name");
      if (key.FindSubkey(name) != nullptr) return Fail(at, "duplicate key name");
      RegistryKey* child = nullptr;
      if (key.CreateSubkey(name, &child, nullptr) != ERROR_SUCCESS) return Fail(at, "key path too long");
      if (!ReadKey(*child)) return false;
    }
    return true;
  }

  bool ReadRoot(RegistryKey& root) {
    std::string_view name;
    if (!ReadName(&name, "root key name")) return false;
    if (!name.empty()) return Fail(0, "root key has a name");
    return ReadKey(root);
  }

  bool AtEnd() const { return pos_ == data_.size(); }
  std::size_t Position() const { return pos_; }
  const std::string& Error() const { return error_; }

  bool Fail(std::size_t at, std::string_view what) {
    error_ = std::string(what) + " at payload offset " + std::to_string(at);
    return false;
  }

 private:
  std::size_t Remaining() const { return data_.size() - pos_; }

  bool ReadU16(std::uint16_t* v, std::string_view what) {
    if (Remaining() < 2) return Fail(pos_, std::string("truncated ") + std::string(what));
    *v = static_cast<std::uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return true;
  }

  bool ReadU32(std::uint32_t* v, std::string_view what) {
    if (Remaining() < 4) return Fail(pos_, std::string("truncated ") + std::string(what));
    *v = LoadLe32(&data_[pos_]);
    pos_ += 4;
    return true;
  }

  bool ReadCount(std::uint32_t* count, std::size_t minRecord, std::string_view what) {
    std::size_t at = pos_;
    if (!ReadU32(count, what)) return false;
    if (*count > Remaining() / minRecord) return Fail(at, std::string(what) + " larger than the data that follows");
    return true;
  }

  bool ReadName(std::string_view* name, std::string_view what) {
    std::uint16_t length = 0;
    if (!ReadU16(&length, what)) return false;
    if (length > Remaining()) return Fail(pos_, std::string(what) + " runs past the end");
    *name = std::string_view(reinterpret_cast<const char*>(&data_[pos_]), length);
    pos_ += length;
    return true;
  }

  bool ReadValue(RegistryKey& key) {
    std::size_t at = pos_;
    std::string_view name;
    if (!ReadName(&name, "value name")) return false;
    if (CheckValueName(name) != ERROR_SUCCESS) return Fail(at, "invalid value name");
    if (key.FindValue(name) != nullptr) return Fail(at, "duplicate value name");
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (!ReadU32(&type, "value type") || !ReadU32(&size, "value size")) return false;
    if (size > MaxRegistryValueSize) return Fail(at, "value larger than the registry allows");
    if (size > Remaining()) return Fail(pos_, "value data runs past the end");
    key.SetValue(name, type, data_.subspan(pos_, size));
    pos_ += size;
    return true;
  }

  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
  std::string error_;
};

HiveDecodeResult Damaged(std::string why) {
  HiveDecodeResult result;
  result.status = HiveStatus::Damaged;
  result.error = "registry hive is damaged: " + why;
  return result;
}

}  // namespace

std::vector<std::uint8_t> EncodeHive(const RegistryStore& store) {
  std::vector<std::uint8_t> image(HiveHeaderSize, 0);
  EncodeKey(image, store.Root());
  std::span<const std::uint8_t> whole(image);
  std::uint32_t payloadLength = static_cast<std::uint32_t>(image.size() - HiveHeaderSize);
  std::vector<std::uint8_t> header;
  header.insert(header.end(), std::begin(HiveMagic), std::end(HiveMagic));
  PutU16(header, HiveFormatVersion);
  PutU16(header, 0);
  AppendLe32(header, payloadLength);
  AppendLe32(header, HiveCrc(header, whole.subspan(HiveHeaderSize)));
  std::copy(header.begin(), header.end(), image.begin());
  return image;
}

HiveDecodeResult DecodeHive(std::span<const std::uint8_t> area) {
  if (std::all_of(area.begin(), area.end(), [](std::uint8_t b) { return b == 0xFF; })) {
    HiveDecodeResult blank;
    blank.status = HiveStatus::Blank;
    blank.error = "registry area is blank";
    return blank;
  }
  if (area.size() < HiveHeaderSize) return Damaged("shorter than its header");
  if (!std::equal(std::begin(HiveMagic), std::end(HiveMagic), area.begin())) return Damaged("no hive signature");
  std::uint16_t version = static_cast<std::uint16_t>(area[4] | area[5] << 8);
  if (version != HiveFormatVersion) return Damaged("unknown format version " + std::to_string(version));
  if (area[6] != 0 || area[7] != 0) return Damaged("reserved header field is not zero");
  std::uint32_t payloadLength = LoadLe32(&area[8]);
  if (payloadLength > HiveAreaSize - HiveHeaderSize || payloadLength > area.size() - HiveHeaderSize) {
    return Damaged("payload length " + std::to_string(payloadLength) + " runs past the area");
  }
  std::span<const std::uint8_t> payload = area.subspan(HiveHeaderSize, payloadLength);
  if (HiveCrc(area.first(HiveHeaderSize), payload) != LoadLe32(&area[12])) return Damaged("checksum mismatch");

  HiveDecodeResult result;
  PayloadReader reader(payload);
  if (!reader.ReadRoot(result.store.Root())) return Damaged(reader.Error());
  if (!reader.AtEnd()) return Damaged("data after the tree at payload offset " + std::to_string(reader.Position()));
  result.status = HiveStatus::Valid;
  return result;
}

}  // namespace talvon::sim
