// talvon-bin: list, verify and build OS image files in the BIN format.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "flash/bin_image.h"
#include "flash/bin_image_builder.h"
#include "flash/flash_areas.h"
#include "flash/os_image_version.h"
#include "sim/roles/host_file_stream.h"

namespace talvon::tools {
namespace {

constexpr int kOk = 0;
constexpr int kBad = 1;
constexpr int kUsage = 2;

int Usage() {
  std::fputs(
      "usage: talvon-bin list FILE\n"
      "       talvon-bin verify FILE\n"
      "       talvon-bin build --version TEXT [--size BYTES] [--record-size BYTES] [--start ADDR] OUT\n"
      "       talvon-bin build --from RAW [--record-size BYTES] [--start ADDR] OUT\n"
      "Numbers are decimal or 0x hexadecimal. build makes an image of --size bytes (default: the whole\n"
      "OS image area, 0x1EC0000) in records of --record-size bytes (default 0x10000) from --start\n"
      "(default 0x80200000), carrying the ROM signature and the version record (none for an empty TEXT).\n"
      "With --from, the image holds the bytes of the file RAW as they are, in the same records.\n",
      stderr);
  return kUsage;
}

bool ParseNumber(const char* text, std::uint32_t* value) {
  if (!text || !*text || *text == '-' || *text == '+') return false;
  errno = 0;
  char* end = nullptr;
  const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const unsigned long long parsed = std::strtoull(hex ? text + 2 : text, &end, hex ? 16 : 10);
  if (errno != 0 || end == (hex ? text + 2 : text) || *end != '\0' || parsed > 0xFFFFFFFFull) return false;
  *value = static_cast<std::uint32_t>(parsed);
  return true;
}

// Keeps the bytes of the image that land in the head of the OS area, so the
// listing can tell the signature and version the image will carry.
class HeadCollector {
 public:
  HeadCollector() : head_(OsImageHeadSize, 0xFF) {}
  void Take(std::uint32_t areaOffset, const std::uint8_t* data, std::size_t count) {
    for (std::size_t i = 0; i < count && areaOffset + i < head_.size(); ++i) head_[areaOffset + i] = data[i];
  }
  const std::vector<std::uint8_t>& head() const { return head_; }

 private:
  std::vector<std::uint8_t> head_;
};

std::unique_ptr<FileStream> OpenForReading(const char* path) {
  auto file = sim::HostFileStream::Open(path, "rb");
  if (!file) std::fprintf(stderr, "talvon-bin: can't open %s: %s\n", path, std::strerror(errno));
  return file;
}

int List(const char* path) {
  auto file = OpenForReading(path);
  if (!file) return kBad;
  BinImageReader reader(*file);
  if (!reader.ReadHeader()) {
    std::printf("%s\n", reader.problem().c_str());
    return kBad;
  }
  std::printf("signature     B000FF\nimage start   0x%08X\nimage length  0x%08X (%u bytes)\n",
              reader.header().imageStart, reader.header().imageLength, reader.header().imageLength);
  std::printf("%8s  %-10s  %-10s  %-10s  %-10s  %s\n", "record", "address", "length", "checksum", "flash", "sum");
  TransferBuffer buffer;
  HeadCollector head;
  BinRecord record;
  BinStep step;
  bool allSumsGood = true;
  while ((step = reader.NextRecord(&record)) == BinStep::Record) {
    std::uint32_t areaOffset = record.flashAddress - OsImageFlashArea;
    while (reader.dataLeft() > 0) {
      const std::size_t got = reader.ReadData(buffer.data(), buffer.size());
      if (got == 0) break;
      head.Take(areaOffset, buffer.data(), got);
      areaOffset += static_cast<std::uint32_t>(got);
    }
    if (reader.failed()) break;
    const bool good = reader.dataSum() == record.checksum;
    allSumsGood = allSumsGood && good;
    std::printf("%8u  0x%08X  0x%08X  0x%08X  0x%08X  %s\n", record.number, record.address, record.length,
                record.checksum, record.flashAddress, good ? "ok" : "MISMATCH");
  }
  if (step != BinStep::End) {
    std::printf("%s\n", reader.problem().c_str());
    return kBad;
  }
  std::printf("end record\ndata bytes    %" PRIu64 "\n", reader.totalData());
  std::printf("ROM signature %s\n", OsAreaHoldsImage(head.head()) ? "present" : "absent");
  const auto version = ReadOsVersion(head.head());
  std::printf("OS version    %s\n", version ? version->c_str() : "(none)");
  // The verdict is the one verify, the update page and talvon-sim give.
  const OsImageCheck check = ValidateOsImage(*file, buffer);
  std::printf("verdict       %s\n", check.valid ? "good image" : check.problem.c_str());
  return allSumsGood && check.valid ? kOk : kBad;
}

int Verify(const char* path) {
  auto file = OpenForReading(path);
  if (!file) return kBad;
  TransferBuffer buffer;
  const OsImageCheck check = ValidateOsImage(*file, buffer);
  if (!check.valid) {
    std::printf("%s: %s\n", path, check.problem.c_str());
    return kBad;
  }
  std::printf("%s: good image, %u records, %" PRIu64 " data bytes\n", path, check.records, check.dataBytes);
  return kOk;
}

// Writes the file at `out` from the pieces `write` hands on; removes it again
// when anything fails.
bool WriteOut(const char* out, const std::function<bool(const ByteSink&)>& write) {
  auto file = sim::HostFileStream::Open(out, "wb");
  if (!file) {
    std::fprintf(stderr, "talvon-bin: can't create %s: %s\n", out, std::strerror(errno));
    return false;
  }
  const bool written = write([&](std::span<const std::uint8_t> bytes) {
    return file->Write(bytes.data(), bytes.size()) == bytes.size();
  });
  if (!written || file->Close() != 0) {
    std::fprintf(stderr, "talvon-bin: writing %s failed\n", out);
    std::remove(out);
    return false;
  }
  return true;
}

int BuildFrom(const char* rawPath, const BinImageOptions& options, const char* out) {
  auto raw = OpenForReading(rawPath);
  if (!raw) return kBad;
  const std::int64_t size = raw->Seek(0, SEEK_END) == 0 ? raw->Tell() : -1;
  if (size <= 0 || size > OsImageFlashAreaSize) {
    std::fprintf(stderr, "talvon-bin: %s must hold 1 to %u bytes (the OS image area)\n", rawPath,
                 OsImageFlashAreaSize);
    return kBad;
  }
  const auto length = static_cast<std::uint32_t>(size);
  if (const std::string problem = CheckBinImageLayout(options.imageStart, length, options.recordSize);
      !problem.empty()) {
    std::fprintf(stderr, "talvon-bin: %s\n", problem.c_str());
    return kUsage;
  }
  const ContentSource source = [&raw](std::uint32_t offset, std::span<std::uint8_t> piece) {
    return raw->Seek(offset, SEEK_SET) == 0 && raw->Read(piece.data(), piece.size()) == piece.size();
  };
  if (!WriteOut(out, [&](const ByteSink& sink) {
        return WriteBinImageFrom(options.imageStart, length, options.recordSize, source, sink);
      })) {
    return kBad;
  }
  std::printf("%s: %u bytes of %s from 0x%08X in records of %u bytes\n", out, length, rawPath, options.imageStart,
              options.recordSize);
  return kOk;
}

int Build(int argc, char** argv) {
  BinImageOptions options;
  bool haveVersion = false;
  bool haveSize = false;
  const char* from = nullptr;
  const char* out = nullptr;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--version" && value) {
      options.version = value, haveVersion = true, ++i;
    } else if (arg == "--size" && value) {
      if (!ParseNumber(value, &options.size)) return Usage();
      haveSize = true, ++i;
    } else if (arg == "--from" && value) {
      from = value, ++i;
    } else if (arg == "--record-size" && value) {
      if (!ParseNumber(value, &options.recordSize)) return Usage();
      ++i;
    } else if (arg == "--start" && value) {
      if (!ParseNumber(value, &options.imageStart)) return Usage();
      ++i;
    } else if (!arg.starts_with("--") && !out) {
      out = argv[i];
    } else {
      return Usage();
    }
  }
  if (!out) return Usage();
  if (from) {
    // Bytes made elsewhere carry their own version, if any, and their own size.
    if (haveVersion || haveSize) return Usage();
    return BuildFrom(from, options, out);
  }
  if (!haveVersion) return Usage();
  if (const std::string problem = CheckBinImageOptions(options); !problem.empty()) {
    std::fprintf(stderr, "talvon-bin: %s\n", problem.c_str());
    return kUsage;
  }
  if (!WriteOut(out, [&](const ByteSink& sink) { return WriteBinImage(options, sink); })) return kBad;
  std::printf("%s: %u bytes from 0x%08X in records of %u bytes, version %s\n", out, options.size, options.imageStart,
              options.recordSize, options.version.c_str());
  return kOk;
}

}  // namespace
}  // namespace talvon::tools

int main(int argc, char** argv) {
  using namespace talvon::tools;
  if (argc < 2) return Usage();
  const std::string_view command = argv[1];
  if (command == "list" && argc == 3) return List(argv[2]);
  if (command == "verify" && argc == 3) return Verify(argv[2]);
  if (command == "build") return Build(argc - 2, argv + 2);
  return Usage();
}
