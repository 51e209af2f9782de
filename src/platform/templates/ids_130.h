#pragma once

// Control identifiers of template 130, the information sheet. Its Home
// controls are on its one page.
namespace talvon::ids130 {

inline constexpr int kTabControl = 1000;

}  // namespace talvon::ids130
