// An image written into flash record by record, as the update page writes
// it, carries its signature and version where the controller looks for them.
#include <gtest/gtest.h>

#include "flash/bin_image.h"
#include "flash/bin_image_builder.h"
#include "flash/flash_device.h"
#include "flash/os_image_version.h"
#include "support/counting_files.h"
#include "support/flash_sim_fixture.h"

namespace talvon {
namespace {

class OsImageWrite : public test::SimFlashTest {};

TEST_F(OsImageWrite, RecordsLandAtTheirFlashAddressesAndTheVersionReadsBack) {
  const BinImageOptions options{.version = "TalvonOS 7.0", .imageStart = 0x8C000000, .size = 0x2A000, .recordSize = 0x9000};
  test::CountingFiles files;
  files.Put("\\nk.bin", BuildBinImage(options));
  auto flash = Open(sim::DefaultFlashConfig());
  ASSERT_FALSE(OsAreaHoldsImage(*flash));
  ASSERT_EQ(EraseFlashRange(*flash, FlashWindowBase, OsImageFlashArea, 0x40000), 1);

  auto file = files.Open("\\nk.bin", "rb");
  TransferBuffer transfer;
  ASSERT_TRUE(ValidateOsImage(*file, transfer).valid);
  BinImageReader reader(*file);
  ASSERT_TRUE(reader.ReadHeader());
  BinRecord record;
  int records = 0;
  while (reader.NextRecord(&record) == BinStep::Record) {
    for (std::uint32_t at = record.flashAddress; reader.dataLeft() > 0;) {
      const auto n = static_cast<std::uint32_t>(reader.ReadData(transfer.data(), 0x4000));
      ASSERT_GT(n, 0u) << reader.problem();
      ASSERT_EQ(ProgramFlashRange(*flash, FlashWindowBase, at, n, transfer.data()), 1);
      at += n;
    }
    EXPECT_EQ(reader.dataSum(), record.checksum);
    ++records;
  }
  EXPECT_FALSE(reader.failed()) << reader.problem();
  EXPECT_EQ(records, 5);

  std::vector<std::uint8_t> expected(0x2A000 + 0x100);
  FillOsImageContent(options, 0, expected);  // with erased flash after the image
  EXPECT_EQ(FlashBytes(*flash, OsImageFlashArea, expected.size()), expected);
  EXPECT_TRUE(OsAreaHoldsImage(*flash));
  EXPECT_EQ(ReadOsVersion(*flash), "TalvonOS 7.0");
}

}  // namespace
}  // namespace talvon
