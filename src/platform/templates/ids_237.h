#pragma once

// Control identifiers of template 237, the New Card Wizard page, shared by
// the template, the page and its tests.
namespace talvon::ids237 {

inline constexpr int kInformationLine = 1075;  // drawn in red
inline constexpr int kSlotScan = 1105;         // hidden
inline constexpr int kFirstSlotLabel = 1106;   // slot n is 1105 + n
inline constexpr int kResourceTree = 1113;
inline constexpr int kChangeToNewModule = 1114;
inline constexpr int kRemovePorts = 1120;  // "Del", hidden

}  // namespace talvon::ids237
