#pragma once
#include "platform/controls.h"
#include "platform/dialog.h"

namespace talvon {

struct PageContext;
struct UpdatePageState;

// The "Update Version" page (tab 1 of the configuration sheet): writes a new
// OS image from a BIN file into flash and restarts the controller. Browse
// accepts a file that carries the BIN signature; Write to Flash Now checks
// the whole image, then erases the registry and OS image areas, writes the
// image record by record with a status line and a progress bar, and reboots.
// The write itself is a whole-system operation: operations/os_image_update.h.
// Constructed by its sheet with no window; Create(sheet) builds the window
// from template 133 as a child of the sheet; the controls start as the
// template sets them.
class CUpdatePage : public CDialog {
 public:
  static constexpr int IDD = 133;
  CUpdatePage(PageContext& context, UpdatePageState& state);

 protected:
  void DoDataExchange(DataExchange& exchange) override;

 private:
  class Progress;

  void OnBrowseImage();
  void OnWriteToFlash();
  // The status line is drawn in red on a transparent background.
  void OnCtlColor(ControlColours& colours, int controlId);
  // After a write stopped with the OS area erased or half written: the
  // operator can choose a file and write again at once.
  void ReopenAfterStop();

  PageContext& context_;
  UpdatePageState& state_;
  CButton browseButton_;
  CButton writeButton_;
  CStatic statusText_;
  CProgressCtrl progress_;
};

}  // namespace talvon
