#pragma once
#include "platform/dialog.h"

namespace talvon {

struct PageContext;
struct SystemInfoState;

// The "System Configuration" page, the one page of the information sheet:
// what the controller holds. Every value is gathered once, when the page is
// created at start-up, and written straight into its field; nothing is read
// again afterwards.
// Constructed by its sheet with no window; Create(sheet) builds the window
// from template 132 as a child of the sheet and runs OnInitDialog once.
class CSystemInfoPage : public CDialog {
 public:
  static constexpr int IDD = 132;
  CSystemInfoPage(PageContext& context, SystemInfoState& state);

 protected:
  bool OnInitDialog() override;

 private:
  // Home and the home icon: hide the information sheet.
  void OnHome();
  // View Registry: start the registry viewer.
  void OnViewRegistry();
  PageContext& context_;
  SystemInfoState& state_;
};

}  // namespace talvon
