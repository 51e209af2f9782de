#pragma once
#include <cstdint>
#include <string_view>

namespace talvon {

// Message box styles and answers, with their documented values.
inline constexpr std::uint32_t MB_OK = 0x00;
inline constexpr std::uint32_t MB_OKCANCEL = 0x01;
inline constexpr std::uint32_t MB_YESNO = 0x04;
inline constexpr std::uint32_t MB_ICONSTOP = 0x10;
inline constexpr std::uint32_t MB_ICONQUESTION = 0x20;
inline constexpr std::uint32_t MB_ICONEXCLAMATION = 0x30;
inline constexpr std::uint32_t MB_ICONINFORMATION = 0x40;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// The application's title: the caption of application-level message boxes.
inline constexpr char ApplicationTitle[] = "TalvonUtility";

// Application-level message boxes (caption ApplicationTitle). Returns only
// after the operator has answered; the answer is IDOK, IDYES, IDNO or IDCANCEL.
class AppMessageBoxes {
 public:
  virtual ~AppMessageBoxes() = default;
  virtual int AppMessageBox(std::string_view text, std::uint32_t style) = 0;
};

}  // namespace talvon
