#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "pages/newcard/communication_modules.h"
#include "sdk/controller_sdk.h"

namespace talvon {

// What the last slot scan found in one slot.
struct SlotScanEntry {
  std::int32_t identifier = 0;  // what GetNameOfModule answered
  std::string moduleText;       // the module's name text; empty until a scan reads one
  std::string nodeText;         // "Slot_%d: R-%s", at most 19 characters
};

// The last slot scan, kept for the whole run: the tree and the serial-port
// registration read it.
struct SlotScanTable {
  std::array<SlotScanEntry, NewCardSlotCount> slots;  // slot n at [n - 1]
  std::int32_t twoPortCount = 0;
  std::int32_t fourPortCount = 0;

  // Slot 1 to 7; anything else is an empty entry.
  const SlotScanEntry& Slot(int slot) const;
};

// What the page shows after a scan.
struct SlotScanResult {
  std::array<std::string, NewCardSlotCount> labels;  // slot n at [n - 1]
  std::string informationLine;                       // empty, or the port-limit warning
  bool changeEnabled = true;                         // Change To New Module may be pressed
};

// Asks the SDK for the module in each slot and refreshes the table.
// A slot whose text is the series text (a serial-bus module) shows an empty
// label and keeps the text an earlier scan stored. An empty slot (an empty
// name text) shows an empty label and has no text, so it gets no tree node.
// Any other module shows "R - " and its text. Two-port modules weigh 1 and
// four-port modules 2: a weight of 3 or more is beyond the controller's four
// extra ports and refuses registration.
SlotScanResult ScanSlots(ControllerSdk& sdk, SlotScanTable& table);

// The module name text in an 8-byte SDK buffer: up to its terminator (or all
// 8 bytes), each byte taken as the character of that code (Latin-1), UTF-8.
std::string ModuleNameText(const char* name8);

}  // namespace talvon
