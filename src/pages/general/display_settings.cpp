#include "pages/general/display_settings.h"

#include <cstring>

namespace talvon {
namespace {

constexpr std::uint32_t kQueryPause = 10;

template <std::size_t N>
int IndexOf(const std::uint32_t (&table)[N], std::uint32_t value) {
  for (std::size_t i = 0; i < N; ++i) {
    if (table[i] == value) return static_cast<int>(i);
  }
  return -1;
}

// A 4-byte query straight into the field, as the driver's values are read:
// a shorter value changes only its own bytes, a longer one nothing.
void QueryField(Registry& registry, HKEY key, const char* name, std::uint32_t& field) {
  std::uint8_t bytes[4];
  std::memcpy(bytes, &field, sizeof bytes);
  std::uint32_t size = sizeof bytes;
  if (registry.QueryValue(key, name, nullptr, bytes, &size) == ERROR_SUCCESS) std::memcpy(&field, bytes, sizeof bytes);
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
  HKEY key = 0;
  if (registry.OpenKey(HKEY_LOCAL_MACHINE, DisplayModeKey, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  QueryField(registry, key, "CxScreen", mode.width);
  clock.Sleep(kQueryPause);
  QueryField(registry, key, "CyScreen", mode.height);
  clock.Sleep(kQueryPause);
  QueryField(registry, key, "Bpp", mode.bpp);
  clock.Sleep(kQueryPause);
  QueryField(registry, key, "Freq", mode.freq);
  registry.CloseKey(key);
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
  HKEY key = 0;
  if (registry.OpenKey(HKEY_LOCAL_MACHINE, DisplayModeKey, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    result.keyOpened = false;
    return result;
  }
  const std::pair<const char*, std::uint32_t> values[] = {
      {"CxScreen", mode.width}, {"CyScreen", mode.height}, {"Bpp", mode.bpp}, {"Freq", mode.freq}};
  for (const auto& [name, value] : values) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &value, sizeof bytes);
    if (registry.SetValue(key, name, REG_DWORD, bytes, sizeof bytes) != ERROR_SUCCESS) {
      result.failedValues.emplace_back(name);
    }
  }
  registry.CloseKey(key);
  return result;
}

}  // namespace talvon
