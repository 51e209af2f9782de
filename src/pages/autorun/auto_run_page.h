#pragma once
#include "platform/controls.h"
#include "platform/dialog.h"

namespace talvon {

struct PageContext;
struct AutoRunState;

// The "Auto-execution" page (tab 2 of the configuration sheet): the ten
// programs the system starts at boot. Browse fills the field that last took
// the focus; Confirm Setting writes all ten values (not flushed), but a
// value the field cannot show whole stays as stored until the operator
// edits its field. The reading and writing live in auto_run_programs.h.
// Constructed by its sheet with no window; Create(sheet) builds the window
// from template 131 as a child of the sheet and runs OnInitDialog once.
class CAutoRunPage : public CDialog {
 public:
  static constexpr int IDD = 131;
  CAutoRunPage(PageContext& context, AutoRunState& state);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& exchange) override;

 private:
  // Field index 0 to 9.
  void OnFieldFocus(int index);
  void OnFieldEdited(int index);
  void OnBrowse();
  void OnConfirmSetting();

  PageContext& context_;
  AutoRunState& state_;
  CButton browseButton_;
};

}  // namespace talvon
