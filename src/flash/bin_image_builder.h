#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "flash/flash_areas.h"

namespace talvon {

// Builds OS images in the BIN format (bin_image.h), for the image tool, the
// simulated controller's factory image and tests. The image content is the
// head of os_image_version.h (ROM signature, version record) followed by
// filler that is a fixed function of the offset, cut into records of equal
// size, then the end record.
struct BinImageOptions {
  std::string version;                   // the version record's text; empty: no version record
  std::uint32_t imageStart = 0x80200000;  // address of the first byte
  std::uint32_t size = OsImageFlashAreaSize;  // image length in bytes
  std::uint32_t recordSize = 0x10000;     // data bytes per record (the last may be shorter)
};

// Empty when an image can be built from `options`, otherwise why not.
std::string CheckBinImageOptions(const BinImageOptions& options);

// The image content at offsets [offset, offset + out.size()), as it lands in
// OsImageFlashArea. Bytes past the image size are 0xFF (erased flash).
void FillOsImageContent(const BinImageOptions& options, std::uint32_t offset, std::span<std::uint8_t> out);

// Receives the file a piece at a time; false stops the build.
using ByteSink = std::function<bool(std::span<const std::uint8_t>)>;
// Streams the BIN file of `options`; never holds the whole image. false when the
// options cannot be built or the sink refused.
bool WriteBinImage(const BinImageOptions& options, const ByteSink& sink);
// Image content from elsewhere: fills `out` with the bytes at image offset
// `offset`; false when they cannot be had.
using ContentSource = std::function<bool(std::uint32_t offset, std::span<std::uint8_t> out)>;
// Streams a BIN file of `size` bytes of content from `source`, starting at
// `imageStart`, in records of `recordSize` bytes. false when the layout is
// not buildable (see CheckBinImageLayout), the source fails or the sink refuses.
bool WriteBinImageFrom(std::uint32_t imageStart, std::uint32_t size, std::uint32_t recordSize,
                       const ContentSource& source, const ByteSink& sink);
// Empty when content of `size` bytes can be wrapped at `imageStart` in
// records of `recordSize` bytes, otherwise why not.
std::string CheckBinImageLayout(std::uint32_t imageStart, std::uint32_t size, std::uint32_t recordSize);
// The whole file in memory, for small images. Empty when not buildable.
std::vector<std::uint8_t> BuildBinImage(const BinImageOptions& options);

// Encoders for images put together by hand (tests use them for damaged ones).
void AppendBinHeader(std::vector<std::uint8_t>& out, std::uint32_t imageStart, std::uint32_t imageLength);
// Header with the checksum of `data`, then the data.
void AppendBinRecord(std::vector<std::uint8_t>& out, std::uint32_t address, std::span<const std::uint8_t> data);
void AppendBinEndRecord(std::vector<std::uint8_t>& out, std::uint32_t entry = 0);

}  // namespace talvon
