#pragma once
#include "platform/controls.h"
#include "platform/dialog.h"

namespace talvon {

struct PageContext;
struct NewCardState;

// The "New Card Wizard" page (tab 4 of the configuration sheet): shows the
// module in each slot and a tree of the modules with the serial-port
// resources the registry gives them; Change To New Module registers the
// selected communication module's ports as COM5 to COM8 and reboots. The
// scan and tree live in slot_scan.h and resource_tree.h, the registration
// and removal in serial_port_registration.h.
// Constructed by its sheet with no window; Create(sheet) builds the window
// from template 237 as a child of the sheet and runs OnInitDialog once.
class CNewCardPage : public CDialog {
 public:
  static constexpr int IDD = 237;
  CNewCardPage(PageContext& context, NewCardState& state);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& exchange) override;

 private:
  // Refreshes the scan table, the slot labels, the information line and
  // the Change To New Module button, then the tree.
  void ScanSlots();
  // Draws the tree afresh from the scan table and the registry.
  void FillResourceTree();
  int SelectedSlot() const;
  void OnChangeToNewModule();
  void OnRemoveSerialPorts();
  // The information line is drawn in red.
  void OnCtlColor(ControlColours& colours, int controlId);

  PageContext& context_;
  NewCardState& state_;
  CButton changeButton_;
  CTreeCtrl tree_;
  CImageList images_;
};

}  // namespace talvon
