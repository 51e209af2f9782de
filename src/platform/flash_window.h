#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/flash_work.h"

namespace talvon {

// The window through which the flash chips are reached by plain loads and
// stores at fixed addresses (0xBCA00000 to 0xBEA00000). Accesses are
// uncached and in order; an address outside the window reads all ones and
// ignores stores.
class FlashWindow {
 public:
  virtual ~FlashWindow() = default;
  virtual std::uint8_t Load8(std::uint32_t address) = 0;
  virtual std::uint16_t Load16(std::uint32_t address) = 0;
  virtual std::uint32_t Load32(std::uint32_t address) = 0;
  virtual void Store8(std::uint32_t address, std::uint8_t value) = 0;
  virtual void Store16(std::uint32_t address, std::uint16_t value) = 0;
  virtual void Store32(std::uint32_t address, std::uint32_t value) = 0;
  // Byte copy out of the window (array reads), as memcpy from the address.
  virtual void CopyOut(std::uint32_t address, void* destination, std::size_t count) = 0;

  // Whether work on these chips is under way; everything that erases,
  // programs or copies whole areas marks it.
  FlashWork& Work() { return work_; }

 private:
  FlashWork work_;
};

}  // namespace talvon
