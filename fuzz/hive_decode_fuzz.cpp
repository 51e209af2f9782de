// The registry area as the boot reads it: any bytes decode without a crash,
// and a hive that decodes encodes again to a hive with the same tree.
#include "fuzz_support.h"
#include "sim/registry/hive_format.h"
#include "sim/registry/reg_text.h"

using namespace talvon;
using namespace talvon::sim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const HiveDecodeResult hive = DecodeHive({data, size});
  if (hive.status != HiveStatus::Valid) {
    fuzz::Require(!hive.error.empty(), "a refused hive says nothing");
    fuzz::Require(hive.store.KeyCount() == 0, "a refused hive left keys behind");
    return 0;
  }
  const std::vector<std::uint8_t> encoded = EncodeHive(hive.store);
  const HiveDecodeResult again = DecodeHive(encoded);
  fuzz::Require(again.status == HiveStatus::Valid, "a decoded tree does not encode to a valid hive");
  fuzz::Require(ExportRegText(again.store) == ExportRegText(hive.store), "the tree changed on the way round");
  return 0;
}
