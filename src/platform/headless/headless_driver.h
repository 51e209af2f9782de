#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/headless_backend.h"

namespace talvon {

// What became of an action of the driver.
enum class DriverResult {
  Done,
  NoWindow,    // the window does not exist
  NoControl,   // the window has no control with that identifier
  WrongKind,   // the control does not take this action (a tab command on a button, ...)
  Hidden,      // the control or its window is not on screen: a tap cannot reach it
  Disabled,    // the control is disabled: the tap does nothing
  ReadOnly,    // a read-only edit took the focus but not the text
  OutOfRange,  // no item or position with that index
  NotFound,    // no tree item with that text
  Busy,        // flash work is under way: the utility takes no input
};
const char* DescribeDriverResult(DriverResult result);

// One line of a tree, in display order.
struct TreeLine {
  int depth = 0;  // 0 at the root
  int image = 0;
  int selectedImage = 0;
  std::string text;
  bool selected = false;
};

// Plays the operator on a headless backend: taps, typing, selections,
// slider drags, the passing of time and the answers to questions; reads back
// what any control shows. Every action delivers its messages synchronously
// and then lets everything that became waiting run (paints, due timers).
class HeadlessDriver {
 public:
  explicit HeadlessDriver(HeadlessBackend& backend) : backend_(backend) {}

  HeadlessBackend& Backend() { return backend_; }
  Transcript& GetTranscript() { return backend_.GetTranscript(); }

  // ---- Finding windows ----
  // The first live window built from the template; 0 when none.
  WindowHandle WindowOf(int templateId) const;
  // Windows on screen, front first: each visible top-level window preceded by
  // its front-most visible child (a sheet's shown page covers the pages beneath it).
  std::vector<WindowHandle> WindowsFrontToBack() const;
  // The front-most window on screen whose template has the control: the shown
  // page of the shown sheet, then that sheet, then the home screen. 0: none.
  WindowHandle FrontMostWith(int controlId) const;

  // ---- Actions ----
  // A tap: a push button is pressed (BN_CLICKED), a check box toggles and
  // reports BN_CLICKED, a picture with SS_NOTIFY reports STN_CLICKED, an edit
  // takes the focus (EN_SETFOCUS).
  DriverResult Click(WindowHandle window, int controlId);
  // Taps the edit (focus) and replaces its text (EN_CHANGE).
  DriverResult TypeText(WindowHandle window, int controlId, std::string_view text);
  DriverResult PickComboItem(WindowHandle window, int controlId, int index);
  // The operator picks a tab: the selection changes, then TCN_SELCHANGE.
  DriverResult SelectTab(WindowHandle window, int controlId, int index);
  // The first item in display order with exactly this text.
  DriverResult SelectTreeItem(WindowHandle window, int controlId, std::string_view text);
  // Drags the thumb to the position (kept within the range) and releases it:
  // TB_THUMBTRACK, TB_THUMBPOSITION (4), TB_ENDTRACK.
  DriverResult MoveTrackbar(WindowHandle window, int controlId, int position);
  // The caption's close box (WM_CLOSE) and OK button (IDOK).
  DriverResult Close(WindowHandle window);
  DriverResult PressOk(WindowHandle window);
  // Lets virtual time pass through the clock, delivering each timer as it falls due.
  void Wait(std::uint64_t milliseconds);
  // Delivers everything waiting (paints, due timers).
  void Settle();

  // ---- Answers, taken by the next questions in order ----
  void AnswerBox(int answer) { backend_.Answers().QueueBoxAnswer(answer); }
  void AnswerFile(std::string path) { backend_.Answers().QueueFile(std::move(path)); }
  void CancelFile() { backend_.Answers().QueueFileCancel(); }

  // ---- Reading ----
  const HeadlessControl* Control(WindowHandle window, int controlId) const;
  // What the control shows as one value: the text of an edit, static, push
  // button or group box; "1" / "0" for a check box; the selected index of a
  // combo box or tab control; the position of a trackbar or progress bar; the
  // bitmap number of a picture. Empty when there is no such control.
  std::string DisplayValue(WindowHandle window, int controlId) const;
  std::vector<TreeLine> TreeLines(WindowHandle window, int controlId) const;
  // The bitmap resource a picture control shows now; 0 if none.
  int PictureBitmap(WindowHandle window, int controlId) const;
  // Asks the control's dialog for its colours (WM_CTLCOLOR).
  ControlColours Colours(WindowHandle window, int controlId);

 private:
  DriverResult Reach(WindowHandle window, int controlId, HeadlessControl** control) const;
  void MoveFocus(WindowHandle window, int controlId);
  void Command(WindowHandle window, int controlId, int code);
  void Notify(WindowHandle window, int controlId, int code);
  void AppendFrontToBack(WindowHandle window, std::vector<WindowHandle>& out) const;

  HeadlessBackend& backend_;
  WindowHandle focusWindow_ = 0;
  int focusControl_ = 0;
};

}  // namespace talvon
