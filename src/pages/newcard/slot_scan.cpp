#include "pages/newcard/slot_scan.h"

#include <cstring>

#include "pages/newcard/new_card_texts.h"

namespace talvon {
namespace {

constexpr std::size_t kNameBufferSize = 8;
constexpr std::size_t kMaxNodeTextLength = 19;
constexpr int kMaxPortWeight = 2;

// Cuts a UTF-8 text to at most `characters` characters.
std::string CutToCharacters(const std::string& text, std::size_t characters) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && count++ == characters) return text.substr(0, i);
  }
  return text;
}

}  // namespace

const SlotScanEntry& SlotScanTable::Slot(int slot) const {
  static const SlotScanEntry kNone{};
  return IsSlotNumber(slot) ? slots[static_cast<std::size_t>(slot - 1)] : kNone;
}

std::string ModuleNameText(const char* name8) {
  std::string text;
  for (std::size_t i = 0; i < kNameBufferSize && name8[i] != '\0'; ++i) {
    const auto byte = static_cast<unsigned char>(name8[i]);
    if (byte < 0x80) {
      text += static_cast<char>(byte);
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

SlotScanResult ScanSlots(ControllerSdk& sdk, SlotScanTable& table) {
  using namespace new_card_texts;
  SlotScanResult result;
  table.twoPortCount = 0;
  table.fourPortCount = 0;
  for (int slot = 1; slot <= NewCardSlotCount; ++slot) {
    SlotScanEntry& entry = table.slots[static_cast<std::size_t>(slot - 1)];
    // Cleared for every slot, with a byte beyond the SDK's 8, so that an
    // unterminated answer still ends and no slot shows the last one's name.
    char name[kNameBufferSize + 1];
    std::memset(name, 0, sizeof name);
    entry.identifier = sdk.GetNameOfModule(slot, name);
    std::string& label = result.labels[static_cast<std::size_t>(slot - 1)];
    if (!IsSeriesText(name)) {
      entry.moduleText = ModuleNameText(name);
      entry.nodeText = entry.moduleText.empty() ? std::string()
                                                : CutToCharacters(kNodeTextLead + std::to_string(slot) +
                                                                      kNodeTextMiddle + entry.moduleText,
                                                                  kMaxNodeTextLength);
      if (!entry.moduleText.empty()) label = kLabelLead + entry.moduleText;
    }
    if (IsTwoPortModule(entry.identifier)) ++table.twoPortCount;
    if (IsFourPortModule(entry.identifier)) ++table.fourPortCount;
  }
  const int weight = table.twoPortCount + 2 * table.fourPortCount;
  if (weight > kMaxPortWeight) {
    result.informationLine = kPortLimit;
    result.changeEnabled = false;
  }
  return result;
}

}  // namespace talvon
