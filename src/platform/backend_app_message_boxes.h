#pragma once
#include "platform/dialog_backend.h"
#include "platform/message_box.h"

namespace talvon {

// Application-level message boxes on a dialog backend: no owner window, the
// application's title ("TalvonUtility") as the caption.
class BackendAppMessageBoxes final : public AppMessageBoxes {
 public:
  explicit BackendAppMessageBoxes(DialogBackend& backend) : backend_(backend) {}
  int AppMessageBox(std::string_view text, std::uint32_t style) override {
    return backend_.MessageBox(0, text, ApplicationTitle, style);
  }

 private:
  DialogBackend& backend_;
};

}  // namespace talvon
