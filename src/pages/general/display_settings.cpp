#include "pages/general/display_settings.h"

#include <algorithm>
#include <utility>

#include "pages/general/general_registry.h"

namespace talvon {
namespace {

using namespace general_registry;

constexpr std::uint32_t kQueryPause = 10;

template <std::size_t N>
int IndexOf(const std::uint32_t (&table)[N], std::uint32_t value) {
  for (std::size_t i = 0; i < N; ++i) {
    if (table[i] == value) return static_cast<int>(i);
  }
  return -1;
}

// The bytes land straight in the field, as the driver's values are read: a
// shorter value changes only its own bytes, a longer one nothing.
void ReadField(SettingsKey& key, const RegistrySetting& row, std::uint32_t& field) {
  std::vector<std::uint8_t> bytes;
  if (key.ReadBytes(row, &bytes) != SettingResult::Done) return;
  std::copy(bytes.begin(), bytes.end(), reinterpret_cast<std::uint8_t*>(&field));
}

}  // namespace

int ResolutionPosition(std::uint32_t width) {
  for (int i = 0; i < 4; ++i) {
    if (DisplayResolutions[i].width == width) return i;
  }
  return -1;
}
int DepthIndex(std::uint32_t bpp) { return IndexOf(DisplayDepths, bpp); }
int RateIndex(std::uint32_t freq) { return IndexOf(DisplayRates, freq); }

void LoadDisplayMode(Registry& registry, Clock& clock, DisplayMode& mode) {
  SettingsKey key(registry, DisplayModeKey);
  if (!key.IsOpen()) return;
  ReadField(key, DisplayWidth, mode.width);
  clock.Sleep(kQueryPause);
  ReadField(key, DisplayHeight, mode.height);
  clock.Sleep(kQueryPause);
  ReadField(key, DisplayBpp, mode.bpp);
  clock.Sleep(kQueryPause);
  ReadField(key, DisplayFreq, mode.freq);
}

void TakeDisplayControls(int sliderPosition, int bppIndex, int freqIndex, DisplayMode& mode) {
  if (sliderPosition >= 0 && sliderPosition < 4) {
    mode.width = DisplayResolutions[sliderPosition].width;
    mode.height = DisplayResolutions[sliderPosition].height;
  }
  if (bppIndex >= 0 && bppIndex < 4) mode.bpp = DisplayDepths[bppIndex];
  if (freqIndex >= 0 && freqIndex < 4) mode.freq = DisplayRates[freqIndex];
}

DisplaySaveResult WriteDisplayMode(Registry& registry, const DisplayMode& mode) {
  DisplaySaveResult result;
  SettingsKey key(registry, DisplayModeKey);
  if (!key.IsOpen()) {
    result.keyOpened = false;
    return result;
  }
  const std::pair<const RegistrySetting&, std::uint32_t> values[] = {
      {DisplayWidth, mode.width}, {DisplayHeight, mode.height}, {DisplayBpp, mode.bpp}, {DisplayFreq, mode.freq}};
  for (const auto& [row, value] : values) {
    if (key.WriteDword(row, value) != SettingResult::Done) result.failedValues.push_back(row.value);
  }
  return result;
}

}  // namespace talvon
