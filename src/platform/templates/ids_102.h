#pragma once

// Control identifiers of template 102, the home screen.
namespace talvon::ids102 {

// The two picture buttons.
inline constexpr int kUpperPicture = 1075;  // opens the information sheet
inline constexpr int kLowerPicture = 1076;  // opens the configuration sheet

// Hidden frame stores holding the two pictures of each button for the blink:
// the lower button's first and second, then the upper button's.
inline constexpr int kFrameStore1 = 1077;
inline constexpr int kFrameStore2 = 1078;
inline constexpr int kFrameStore3 = 1079;
inline constexpr int kFrameStore4 = 1080;

}  // namespace talvon::ids102
