#pragma once
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"

namespace talvon::test {

// Answers every application message box with OK and remembers what it showed.
class RecordingMessageBoxes : public AppMessageBoxes {
 public:
  struct Shown {
    std::string text;
    std::uint32_t style;
    bool operator==(const Shown&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Shown& shown) {
      return out << '"' << shown.text << "\" (" << shown.style << ')';
    }
  };
  int AppMessageBox(std::string_view text, std::uint32_t style) override {
    shown.push_back({std::string(text), style});
    return IDOK;
  }
  std::vector<Shown> shown;
};

}  // namespace talvon::test
