#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/registry.h"

namespace talvon {

// The display driver's mode as the page knows it: zero until read.
struct DisplayMode {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bpp = 0;
  std::uint32_t freq = 0;
};

// Resolutions of slider positions 0 to 3, colour depths of the Bpp combo's
// items and refresh rates of the frequency combo's items.
struct Resolution {
  std::uint32_t width;
  std::uint32_t height;
};
inline constexpr Resolution DisplayResolutions[4] = {{320, 240}, {640, 480}, {800, 600}, {1024, 768}};
inline constexpr std::uint32_t DisplayDepths[4] = {2, 4, 8, 16};
inline constexpr std::uint32_t DisplayRates[4] = {50, 60, 70, 75};

// Position 0 to 3 of a width, depth or rate in its table; -1 when unlisted.
int ResolutionPosition(std::uint32_t width);
int DepthIndex(std::uint32_t bpp);
int RateIndex(std::uint32_t freq);

// Reads the display rows (general_registry.h) into the record with 10 ms
// between the queries. A missing key changes nothing; a value that cannot be read
// leaves its field. The type is not checked: the bytes land in the field as
// the driver stored them.
void LoadDisplayMode(Registry& registry, Clock& clock, DisplayMode& mode);

// Takes the slider position and combo selections into the record; a position
// or index outside 0 to 3 leaves its fields as they were.
void TakeDisplayControls(int sliderPosition, int bppIndex, int freqIndex, DisplayMode& mode);

struct DisplaySaveResult {
  bool keyOpened = true;
  // Names of the values that could not be set, in the order tried.
  std::vector<std::string_view> failedValues;
};

// Writes the record's four values as REG_DWORD; each failure is noted and
// the rest are still written.
DisplaySaveResult WriteDisplayMode(Registry& registry, const DisplayMode& mode);

}  // namespace talvon
