#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "flash/transfer_buffer.h"
#include "platform/files.h"

namespace talvon {

// OS images travel as Windows CE BIN files. All numbers little-endian:
//
//   offset 0   7 bytes  signature "B000FF\n"
//   offset 7   4 bytes  image start: the address the image begins at
//   offset 11  4 bytes  image length in bytes
//   offset 15           records, one after another
//
// A record is a 12-byte header (address, data length, checksum) followed by
// its data; the checksum is the sum of the data bytes, each unsigned, modulo
// 2^32. A record whose address is 0 ends the list; its other fields are not
// used and anything after its header is ignored. A record's data belongs in
// flash at OsImageFlashArea + (record address - image start).
//
// Files are read through Files streams a piece at a time, never whole.

inline constexpr char BinSignature[] = "B000FF\n";
inline constexpr std::size_t BinSignatureSize = 7;
inline constexpr std::size_t BinHeaderSize = 15;
inline constexpr std::size_t BinRecordHeaderSize = 12;

struct BinImageHeader {
  std::uint32_t imageStart = 0;
  std::uint32_t imageLength = 0;
};

struct BinRecord {
  std::uint32_t number = 0;  // 1 for the first record of the file
  std::uint32_t address = 0;
  std::uint32_t length = 0;
  std::uint32_t checksum = 0;
  std::uint32_t flashAddress = 0;  // where the data belongs
};

enum class BinStep { Record, End, Failed };

// Sum of bytes as the record checksum counts it, continued from `sum`.
std::uint32_t BinChecksum(std::span<const std::uint8_t> data, std::uint32_t sum = 0);

// Walks a BIN image in an open file record by record. Every record it hands
// out lies wholly inside OsImageFlashArea, so a caller that writes what it
// reads can never write outside that area, even if the file changed after it
// was validated. After a failed step, problem() says what is wrong and every
// further step fails.
class BinImageReader {
 public:
  explicit BinImageReader(FileStream& file) : file_(file) {}

  // Reads signature and header from the start of the file.
  bool ReadHeader();
  // Moves to the next record, skipping what is left of the current one's data.
  BinStep NextRecord(BinRecord* record);
  // Reads up to `count` bytes of the current record's data. Answers the bytes
  // read; fewer than asked (and than left) means the file ended: failed().
  std::size_t ReadData(std::uint8_t* destination, std::size_t count);

  const BinImageHeader& header() const { return header_; }
  // Data bytes of the current record not read yet.
  std::uint32_t dataLeft() const { return dataLeft_; }
  // Checksum of the current record's data read so far.
  std::uint32_t dataSum() const { return dataSum_; }
  // Data bytes of all records handed out so far.
  std::uint64_t totalData() const { return totalData_; }
  bool failed() const { return !problem_.empty(); }
  const std::string& problem() const { return problem_; }

 private:
  bool Fail(std::string problem);
  bool CheckRecordPlace(const BinRecord& record);

  FileStream& file_;
  BinImageHeader header_;
  bool headerRead_ = false;
  bool ended_ = false;
  std::int64_t fileSize_ = -1;  // -1 when the stream cannot tell
  std::int64_t position_ = 0;   // file offset of the next byte to read
  std::uint32_t recordNumber_ = 0;
  std::uint32_t currentLength_ = 0;
  std::uint32_t dataLeft_ = 0;
  std::uint32_t dataSum_ = 0;
  std::uint64_t totalData_ = 0;
  std::string problem_;
};

// What a full check of an OS image file found.
struct OsImageCheck {
  bool valid = false;
  std::string problem;  // empty when valid
  BinImageHeader header;
  std::uint32_t records = 0;    // data records, the end record not counted
  std::uint64_t dataBytes = 0;  // data bytes of all records
};

// Checks all of an image before anything is erased: signature, header, an
// image length that fits OsImageFlashArea, every record header and all its
// data present, every checksum, every record wholly inside OsImageFlashArea,
// an end record, at least one data record, no two records on the same
// flash, and the ROM signature among the data, as the controller's boot
// looks for it. The update page, talvon-bin and talvon-sim all take this
// answer. Record data passes through `scratch` a piece at a time. Leaves the
// file at no particular position.
OsImageCheck ValidateOsImage(FileStream& file, std::span<std::uint8_t> scratch);
inline OsImageCheck ValidateOsImage(FileStream& file, TransferBuffer& transfer) {
  return ValidateOsImage(file, transfer.span());
}

}  // namespace talvon
