// The BIN validator on any bytes: it must never crash, and an image it
// accepts must hold only records that land wholly inside the OS image area
// with sums that a plain byte count confirms.
#include <vector>

#include "flash/bin_image.h"
#include "flash/flash_areas.h"
#include "fuzz_support.h"

using namespace talvon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::MemoryFileStream file({data, size});
  std::uint8_t scratch[61];  // an odd size, so pieces end anywhere in a record
  const OsImageCheck check = ValidateOsImage(file, scratch);
  fuzz::Require(check.valid == check.problem.empty(), "a verdict and its problem disagree");
  if (!check.valid) return 0;
  fuzz::Require(check.dataBytes <= OsImageFlashAreaSize, "more data than the OS area holds");

  // Walk the accepted image again and check each record independently.
  fuzz::MemoryFileStream again({data, size});
  BinImageReader reader(again);
  fuzz::Require(reader.ReadHeader(), "an accepted header is refused on the second read");
  BinRecord record;
  std::uint32_t records = 0;
  std::vector<std::uint8_t> bytes;
  while (reader.NextRecord(&record) == BinStep::Record) {
    const std::uint64_t end = std::uint64_t{record.flashAddress} + record.length;
    fuzz::Require(record.flashAddress >= OsImageFlashArea && end <= RegistryFlashArea,
                  "an accepted record lies outside the OS area");
    bytes.resize(record.length);
    fuzz::Require(reader.ReadData(bytes.data(), bytes.size()) == bytes.size(), "accepted data is missing");
    std::uint32_t sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    fuzz::Require(sum == record.checksum, "an accepted record's sum differs");
    ++records;
  }
  fuzz::Require(!reader.failed() && records == check.records, "the second walk disagrees");
  return 0;
}
