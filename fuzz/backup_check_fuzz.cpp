// The whole-system backup check on any file: it passes exactly when the
// data is all there and the four bytes after it (missing ones as 0) are the
// exclusive-or of the data bytes by offset modulo 4. The data length and
// the size of the pieces it is read in come from the input's first bytes,
// so that pieces end at every position.
#include "flash/image_files.h"
#include "fuzz_support.h"

using namespace talvon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::size_t piece = 1 + data[0] % 64;
  const std::uint32_t dataSize = (std::uint32_t{data[1]} | std::uint32_t{data[2]} << 8) % 4096;
  const std::span<const std::uint8_t> file(data + 3, size - 3);

  std::uint8_t scratch[64];
  fuzz::MemoryFileStream stream(file);
  const int result = VerifyBackupStream(stream, {scratch, piece}, dataSize);

  int expected = -1;
  if (file.size() >= dataSize && piece >= 4) {
    std::uint8_t check[4] = {};
    for (std::uint32_t i = 0; i < dataSize; ++i) check[i % 4] ^= file[i];
    bool equal = true;
    for (std::size_t k = 0; k < 4; ++k) {
      const std::uint8_t stored = dataSize + k < file.size() ? file[dataSize + k] : 0;
      equal = equal && stored == check[k];
    }
    expected = equal ? 0 : -1;
  }
  fuzz::Require(result == expected, "the backup check disagrees with a plain count");
  return 0;
}
