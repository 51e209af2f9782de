#pragma once
#include "flash/transfer_buffer.h"
#include "platform/dialog_backend.h"
#include "platform/message_box.h"
#include "platform/platform.h"

namespace talvon {

// The two sheets the pages stand on, as far as a page moves them: a page's
// Home command puts its sheet away, and the home screen shows again.
class PageSheets {
 public:
  virtual void HideConfigurationSheet() = 0;
  virtual void HideInformationSheet() = 0;

 protected:
  ~PageSheets() = default;
};

// What every page of one run works with; each page keeps its own run-wide
// state besides. The run (the application's session) owns all of it.
struct PageContext {
  // The controller's roles; the SDK reboots only when no flash work runs.
  Platform& platform;
  DialogBackend& backend;
  // Application-level message boxes, captioned "TalvonUtility".
  AppMessageBoxes& appBoxes;
  // The one buffer through which flash data moves to and from files.
  TransferBuffer& transfer;
  PageSheets& sheets;
};

}  // namespace talvon
