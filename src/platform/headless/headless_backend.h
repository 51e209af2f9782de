#pragma once
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/clock.h"
#include "platform/dialog_backend.h"
#include "platform/headless/answer_queue.h"
#include "platform/headless/headless_window.h"
#include "platform/headless/transcript.h"

namespace talvon {

// The dialog backend with no display: every window and control lives in
// memory, message boxes and file dialogs take their answers from an
// AnswerQueue and are written to a Transcript, and timers run on a Clock
// (virtual in tests). Dialog units map to pixels at 1.5 pixels per unit on
// both axes, on a 640 x 480 screen; tab items are 20 pixels high and
// 12 + 6 pixels per character wide, side by side from (2, 2) of the tab control.
//
// User input comes from a HeadlessDriver. The modal loop runs whatever is
// waiting (paints, due timers), then asks the operator (SetOperator) for the
// next action; when the operator has none, the loop ends with -1.
class HeadlessBackend final : public DialogBackend {
 public:
  static constexpr int kScreenWidth = 640;
  static constexpr int kScreenHeight = 480;

  // Owns its answer queue and transcript.
  explicit HeadlessBackend(Clock& clock);
  // Shares them (a scripted run keeps both across reboots).
  HeadlessBackend(Clock& clock, AnswerQueue& answers, Transcript& transcript);
  ~HeadlessBackend() override;

  // The operator: called by the modal loop when nothing is waiting; answers
  // false when it has nothing more to do.
  void SetOperator(std::function<bool()> nextAction) { operator_ = std::move(nextAction); }
  Clock& GetClock() { return clock_; }
  AnswerQueue& Answers() { return *answers_; }
  Transcript& GetTranscript() { return *transcript_; }

  // ---- State for the driver ----
  HeadlessWindow* FindWindow(WindowHandle window);
  const HeadlessWindow* FindWindow(WindowHandle window) const;
  HeadlessControl* FindControl(WindowHandle window, int controlId);
  // Every live window, in creation order.
  std::vector<WindowHandle> Windows() const;
  // Siblings under parent (0: top-level windows), top of the z-order first.
  std::vector<WindowHandle> ZOrder(WindowHandle parent) const;
  // The window and all its ancestors are visible.
  bool IsOnScreen(WindowHandle window) const;
  // The bitmap or icon resource a picture handle was loaded from; 0 if none.
  int ResourceOfImage(ImageHandle image) const;
  // The bitmap resources of an image list, by index.
  std::vector<int> ImageListBitmaps(ImageListHandle list) const;
  bool WaitCursorShown() const { return waitCursor_; }
  // Delivers a message to a window's dialog; 0 when the window is gone.
  LRESULT Send(WindowHandle window, const WindowMessage& message);
  // Marks every trackbar of the window and its descendants for painting.
  void MarkForPaint(WindowHandle window);

  // ---- DialogBackend ----
  WindowHandle CreateDialogWindow(const DialogTemplate& dialogTemplate, WindowHandle parent,
                                  DialogWindowSink& sink) override;
  void DestroyDialogWindow(WindowHandle window) override;
  int RunModalLoop(WindowHandle window) override;
  void EndModalLoop(WindowHandle window, int result) override;
  void ShowWindow(WindowHandle window, int showCommand) override;
  bool IsWindowVisible(WindowHandle window) override;
  void SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  Rect GetWindowRect(WindowHandle window) override;
  Rect GetClientRect(WindowHandle window) override;
  void CenterWindow(WindowHandle window) override;
  void SetWindowText(WindowHandle window, std::string_view text) override;
  std::string GetWindowText(WindowHandle window) override;
  ImageHandle LoadIconResource(int resourceId) override;
  void SetWindowIcon(WindowHandle window, ImageHandle icon, int iconSize) override;
  void InvalidateWindow(WindowHandle window, bool erase) override;
  void UpdateWindow(WindowHandle window) override;
  std::uintptr_t SetTimer(WindowHandle window, std::uintptr_t timerId, std::uint32_t periodMs) override;
  bool KillTimer(WindowHandle window, std::uintptr_t timerId) override;

  bool HasControl(WindowHandle window, int controlId) override;
  void SetControlText(WindowHandle window, int controlId, std::string_view text) override;
  std::string GetControlText(WindowHandle window, int controlId) override;
  void EnableControl(WindowHandle window, int controlId, bool enable) override;
  bool IsControlEnabled(WindowHandle window, int controlId) override;
  void ShowControl(WindowHandle window, int controlId, bool show) override;
  bool IsControlVisible(WindowHandle window, int controlId) override;
  void InvalidateControl(WindowHandle window, int controlId, bool erase) override;
  void SetCheck(WindowHandle window, int controlId, int state) override;
  int GetCheck(WindowHandle window, int controlId) override;
  void SetPasswordChar(WindowHandle window, int controlId, char16_t passwordChar) override;
  char16_t GetPasswordChar(WindowHandle window, int controlId) override;
  ImageHandle GetControlImage(WindowHandle window, int controlId) override;
  ImageHandle SetControlImage(WindowHandle window, int controlId, ImageHandle image) override;
  int ComboAddString(WindowHandle window, int controlId, std::string_view text) override;
  void ComboResetContent(WindowHandle window, int controlId) override;
  int ComboGetCount(WindowHandle window, int controlId) override;
  std::string ComboGetItemText(WindowHandle window, int controlId, int index) override;
  int ComboSetCurSel(WindowHandle window, int controlId, int index) override;
  int ComboGetCurSel(WindowHandle window, int controlId) override;
  void TrackbarSetRange(WindowHandle window, int controlId, int minimum, int maximum, bool redraw) override;
  void TrackbarSetTickFrequency(WindowHandle window, int controlId, int frequency) override;
  int TrackbarSetPageSize(WindowHandle window, int controlId, int pageSize) override;
  void TrackbarSetPosition(WindowHandle window, int controlId, int position, bool redraw) override;
  void TrackbarSetSelection(WindowHandle window, int controlId, int start, int end, bool redraw) override;
  TrackbarState GetTrackbar(WindowHandle window, int controlId) override;
  int ProgressSetStep(WindowHandle window, int controlId, int step) override;
  void ProgressSetRange(WindowHandle window, int controlId, int minimum, int maximum) override;
  int ProgressSetPosition(WindowHandle window, int controlId, int position) override;
  int ProgressStepIt(WindowHandle window, int controlId) override;
  ProgressState GetProgress(WindowHandle window, int controlId) override;
  int TabInsertItem(WindowHandle window, int controlId, int index, std::string_view text) override;
  int TabGetCurSel(WindowHandle window, int controlId) override;
  int TabSetCurSel(WindowHandle window, int controlId, int index) override;
  int TabGetItemCount(WindowHandle window, int controlId) override;
  std::string TabGetItemText(WindowHandle window, int controlId, int index) override;
  bool TabGetItemRect(WindowHandle window, int controlId, int index, Rect* rect) override;
  Rect GetControlClientRect(WindowHandle window, int controlId) override;
  void TreeSetImageList(WindowHandle window, int controlId, ImageListHandle list) override;
  TreeItemHandle TreeInsertItem(WindowHandle window, int controlId, TreeItemHandle parent, std::string_view text,
                                int image, int selectedImage) override;
  void TreeDeleteAllItems(WindowHandle window, int controlId) override;
  TreeItemHandle TreeGetSelection(WindowHandle window, int controlId) override;
  bool TreeSelectItem(WindowHandle window, int controlId, TreeItemHandle item) override;
  TreeItemHandle TreeGetParent(WindowHandle window, int controlId, TreeItemHandle item) override;
  TreeItemHandle TreeGetChild(WindowHandle window, int controlId, TreeItemHandle item) override;
  TreeItemHandle TreeGetNextSibling(WindowHandle window, int controlId, TreeItemHandle item) override;
  bool TreeGetItem(WindowHandle window, int controlId, TreeItemHandle item, TreeItemInfo* info) override;
  ImageListHandle CreateImageList(int cx, int cy, std::uint32_t flags, int initial, int grow) override;
  int ImageListAddBitmap(ImageListHandle list, int bitmapId, Colour maskColour) override;
  void DestroyImageList(ImageListHandle list) override;

  int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption, std::uint32_t style) override;
  int OpenFileDialog(WindowHandle owner, const FileDialogRequest& request, std::string* path) override;
  void SetWaitCursor(bool wait) override { waitCursor_ = wait; }
  bool PumpOneMessage() override;
  void ShowFlashWork(std::string_view doing) override;

  // ---- Flash work ----
  // Every description of flash work shown, in order ("" when it ended).
  const std::vector<std::string>& FlashWorkShown() const { return flashWorkShown_; }
  // Called at every PumpOneMessage before anything is delivered: a test
  // plays the operator in the middle of long work through it.
  void SetPumpHook(std::function<void()> hook) { pumpHook_ = std::move(hook); }

  // ---- Time ----
  // The earliest time a running timer falls due; nothing when none runs.
  std::optional<std::uint64_t> NextTimerDue() const;
  // Delivers the most overdue timer whose time has come; false when none has.
  bool DeliverDueTimer();

 private:
  struct Timer {
    WindowHandle window = 0;
    std::uintptr_t id = 0;
    std::uint32_t period = 0;
    std::uint64_t due = 0;
  };

  ImageHandle NewImage(int resourceId);
  bool DeliverPaint();
  void PaintNow(WindowHandle window);
  void RaiseInZOrder(WindowHandle window, WindowHandle insertAfter);
  TreeItemHandle NewTreeItem();

  Clock& clock_;
  std::unique_ptr<AnswerQueue> ownAnswers_;
  std::unique_ptr<Transcript> ownTranscript_;
  AnswerQueue* answers_;
  Transcript* transcript_;
  std::function<bool()> operator_;

  std::map<WindowHandle, HeadlessWindow> windows_;
  std::map<WindowHandle, std::vector<WindowHandle>> zOrder_;  // by parent; top first
  std::vector<Timer> timers_;
  std::map<ImageHandle, int> images_;
  std::map<ImageListHandle, std::vector<int>> imageLists_;
  WindowHandle nextWindow_ = 0x100;
  ImageHandle nextImage_ = 0x1000;
  ImageListHandle nextImageList_ = 0x2000;
  TreeItemHandle nextTreeItem_ = 0x10000;
  bool waitCursor_ = false;
  std::vector<std::string> flashWorkShown_;
  std::function<void()> pumpHook_;
};

}  // namespace talvon
