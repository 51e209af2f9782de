#include "flash/flash_device.h"

namespace talvon {

int ReadFlashRange(FlashWindow& window, std::uint32_t /*bankBase*/, std::uint32_t source, std::uint32_t length,
                   std::uint8_t* destination) {
  if (destination == nullptr) return 0;
  if (length != 0) window.CopyOut(source, destination, length);
  return 1;
}

}  // namespace talvon
