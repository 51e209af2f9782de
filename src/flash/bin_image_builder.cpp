#include "flash/bin_image_builder.h"

#include <algorithm>
#include <array>

#include "flash/bin_image.h"
#include "flash/os_image_version.h"
#include "platform/little_endian.h"

namespace talvon {
namespace {

// Filler that looks like code rather than erased flash, and is the same for
// the same offset every time.
std::uint8_t FillerAt(std::uint32_t offset) {
  std::uint32_t x = offset * 2654435761u;
  x ^= x >> 15;
  return static_cast<std::uint8_t>(x >> 8);
}

constexpr std::size_t kPiece = 0x10000;

}  // namespace

std::string CheckBinImageLayout(std::uint32_t imageStart, std::uint32_t size, std::uint32_t recordSize) {
  if (size == 0) return "The image must not be empty.";
  if (size > OsImageFlashAreaSize) return "The image size is larger than the OS image area.";
  if (recordSize == 0) return "The record size must not be 0.";
  // Address 0 would end the record list early; addresses must not wrap.
  if (imageStart == 0) return "The image start must not be 0.";
  if (std::uint64_t{imageStart} + size > 0x100000000ull) return "The image would pass address 0xFFFFFFFF.";
  return {};
}

std::string CheckBinImageOptions(const BinImageOptions& options) {
  if (!options.version.empty() && !IsValidOsVersion(options.version)) {
    return "The version text must be 1 to 120 bytes of printable UTF-8.";
  }
  const std::size_t headSize = OsImageHead(options.version).size();
  if (options.size < headSize) return "The image size is too small for the signature and version record.";
  return CheckBinImageLayout(options.imageStart, options.size, options.recordSize);
}

void FillOsImageContent(const BinImageOptions& options, std::uint32_t offset, std::span<std::uint8_t> out) {
  const std::vector<std::uint8_t> head = OsImageHead(options.version);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::uint64_t at = std::uint64_t{offset} + i;
    if (at >= options.size) {
      out[i] = 0xFF;
    } else if (at < head.size()) {
      out[i] = head[at];
    } else {
      out[i] = FillerAt(static_cast<std::uint32_t>(at));
    }
  }
}

bool WriteBinImageFrom(std::uint32_t imageStart, std::uint32_t size, std::uint32_t recordSize,
                       const ContentSource& source, const ByteSink& sink) {
  if (!CheckBinImageLayout(imageStart, size, recordSize).empty()) return false;
  std::vector<std::uint8_t> out(BinSignature, BinSignature + BinSignatureSize);
  AppendLe32(out, imageStart);
  AppendLe32(out, size);
  if (!sink(out)) return false;
  std::vector<std::uint8_t> piece(kPiece);
  for (std::uint32_t offset = 0; offset < size;) {
    const std::uint32_t length = std::min(recordSize, size - offset);
    // The checksum comes first in the file, so the data is fetched twice
    // rather than held whole.
    std::uint32_t sum = 0;
    for (std::uint32_t done = 0; done < length;) {
      const std::uint32_t n = std::min<std::uint32_t>(kPiece, length - done);
      if (!source(offset + done, {piece.data(), n})) return false;
      sum = BinChecksum({piece.data(), n}, sum);
      done += n;
    }
    std::uint8_t header[BinRecordHeaderSize];
    StoreLe32(header, imageStart + offset);
    StoreLe32(header + 4, length);
    StoreLe32(header + 8, sum);
    if (!sink(header)) return false;
    for (std::uint32_t done = 0; done < length;) {
      const std::uint32_t n = std::min<std::uint32_t>(kPiece, length - done);
      if (!source(offset + done, {piece.data(), n})) return false;
      if (!sink({piece.data(), n})) return false;
      done += n;
    }
    offset += length;
  }
  std::vector<std::uint8_t> end;
  AppendBinEndRecord(end, imageStart);
  return sink(end);
}

bool WriteBinImage(const BinImageOptions& options, const ByteSink& sink) {
  if (!CheckBinImageOptions(options).empty()) return false;
  return WriteBinImageFrom(
      options.imageStart, options.size, options.recordSize,
      [&options](std::uint32_t offset, std::span<std::uint8_t> out) {
        FillOsImageContent(options, offset, out);
        return true;
      },
      sink);
}

std::vector<std::uint8_t> BuildBinImage(const BinImageOptions& options) {
  std::vector<std::uint8_t> file;
  const bool built = WriteBinImage(options, [&](std::span<const std::uint8_t> bytes) {
    file.insert(file.end(), bytes.begin(), bytes.end());
    return true;
  });
  if (!built) file.clear();
  return file;
}

void AppendBinHeader(std::vector<std::uint8_t>& out, std::uint32_t imageStart, std::uint32_t imageLength) {
  out.insert(out.end(), BinSignature, BinSignature + BinSignatureSize);
  AppendLe32(out, imageStart);
  AppendLe32(out, imageLength);
}

void AppendBinRecord(std::vector<std::uint8_t>& out, std::uint32_t address, std::span<const std::uint8_t> data) {
  AppendLe32(out, address);
  AppendLe32(out, static_cast<std::uint32_t>(data.size()));
  AppendLe32(out, BinChecksum(data));
  out.insert(out.end(), data.begin(), data.end());
}

void AppendBinEndRecord(std::vector<std::uint8_t>& out, std::uint32_t entry) {
  AppendLe32(out, 0);
  AppendLe32(out, entry);
  AppendLe32(out, 0);
}

}  // namespace talvon
