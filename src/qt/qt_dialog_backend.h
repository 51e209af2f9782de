// The dialog backend of the real window: every template built from the same
// DialogTemplate data as the headless backend, as Qt widgets on a panel.
#pragma once
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/dialog_backend.h"
#include "platform/files.h"
#include "qt/control_widgets.h"
#include "qt/dialog_scale.h"
#include "qt/tree_widget.h"

class QEventLoop;
class QTimer;

namespace talvon::qt {

class BusySign;
class FrameWindow;
class PanelWidget;
class FocusWatcher;

// Delivers the same messages as the headless backend for the same actions
// of the operator (see DialogBackend), from mouse and touch alike. Top-level
// windows are framed windows on the panel; child dialogs (the pages) are
// widgets inside their parent's client area. Message boxes and the file
// dialog are drawn on the panel too and run nested event loops.
//
// Needs a running QApplication. One per run of the utility or per test;
// several runs may share one (a reboot starts a new run on the same panel).
class QtDialogBackend final : public DialogBackend, private ControlEvents {
 public:
  // panelFactor 1 is a 640 x 480 panel.
  explicit QtDialogBackend(double panelFactor = 1.0);
  ~QtDialogBackend() override;
  QtDialogBackend(const QtDialogBackend&) = delete;
  QtDialogBackend& operator=(const QtDialogBackend&) = delete;

  PanelWidget* Panel() const { return panel_; }
  double PanelFactor() const;

  // The controller's files, which the file-open dialog browses; nullptr
  // (the default) cancels every file dialog.
  void SetFiles(Files* files) { files_ = files; }
  // The controller goes down (Reset_TalVon): every modal loop, message box
  // and file dialog ends at once, questions asked from now on get their
  // harmless answer without being shown and the operator's input is no
  // longer delivered. EndShutdown lets a new run start.
  void BeginShutdown();
  void EndShutdown();
  bool ShuttingDown() const { return shuttingDown_; }
  // Deletes the widgets of destroyed windows now rather than on the next
  // turn of the event loop.
  void DeleteDestroyedWidgets();

  // Called with every message box and file dialog once it is on the panel,
  // from inside its loop (tests answer through it). Widgets of a message
  // box: object name "messageBox", buttons "ok", "cancel", "yes", "no";
  // file dialog: "fileDialog", "name" edit, "ok" and "cancel" buttons.
  void SetModalHook(std::function<void(QWidget* dialog)> hook) { modalHook_ = std::move(hook); }

  // ---- Reading the windows (tests and tools) ----
  std::vector<WindowHandle> Windows() const;
  // The first live window built from the template; 0 when none.
  WindowHandle WindowOfTemplate(int templateId) const;
  const DialogTemplate* TemplateOf(WindowHandle window) const;
  // The frame of a top-level window, the client widget of a child one.
  QWidget* WindowWidget(WindowHandle window) const;
  // Where the window's controls live.
  QWidget* ClientWidget(WindowHandle window) const;
  QWidget* ControlWidget(WindowHandle window, int controlId) const;
  int ResourceOfImage(ImageHandle image) const;
  bool WaitCursorShown() const { return waitCursor_; }
  // A running timer of the window falls due now: WM_TIMER as its own tick
  // would deliver it. False when no such timer runs.
  bool FireTimer(WindowHandle window, std::uintptr_t timerId);
  // The spinner on the panel while the wait cursor is shown.
  BusySign* Busy() const { return busySign_; }

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
  void SetWaitCursor(bool wait) override;
  bool PumpOneMessage() override;
  void ShowFlashWork(std::string_view doing) override;
  // The cover over the panel while flash work runs (nullptr when none),
  // with the line that says what the work is.
  QWidget* FlashWorkCover() const { return flashWorkCover_; }

 private:
  struct Control {
    const DialogItem* item = nullptr;
    QWidget* widget = nullptr;
    ImageHandle image = 0;  // pictures: the handle shown
  };
  struct Window {
    WindowHandle handle = 0;
    const DialogTemplate* dialogTemplate = nullptr;
    WindowHandle parent = 0;
    DialogWindowSink* sink = nullptr;
    std::unique_ptr<DialogScale> scale;
    FrameWindow* frame = nullptr;  // top-level windows
    QWidget* client = nullptr;
    std::vector<Control> controls;
    bool visible = false;
    std::string caption;
    ImageHandle bigIcon = 0;
    ImageHandle smallIcon = 0;
    QEventLoop* modalLoop = nullptr;
    bool modalEnded = false;
    int modalResult = 0;

    QWidget* Outer() const;
  };
  struct ImageList {
    QSize size;
    std::vector<int> bitmaps;
  };

  // ---- ControlEvents ----
  void ControlCommand(WindowHandle window, int controlId, int code) override;
  LRESULT ControlNotify(WindowHandle window, int controlId, int code) override;
  void ControlScroll(WindowHandle window, int controlId, int code, int position) override;
  void ControlFocused(WindowHandle window, int controlId) override;
  ControlColours ControlColoursFor(WindowHandle window, int controlId, int controlType) override;

  Window* Find(WindowHandle window);
  const Window* Find(WindowHandle window) const;
  Control* FindControl(WindowHandle window, int controlId);
  template <typename Widget>
  Widget* ControlAs(WindowHandle window, int controlId);
  QWidget* BuildControl(Window& window, const DialogItem& item);
  ImageHandle NewImage(int resourceId);
  LRESULT Send(WindowHandle window, const WindowMessage& message);
  void MoveFocus(WindowHandle window, int controlId);
  void DeliverTimer(WindowHandle window, std::uintptr_t timerId);
  // Runs the loop until `done` is set or the backend shuts down.
  void RunNestedLoop(QEventLoop& loop, const bool& done);
  void ShowModalDialog(QWidget* dialog);
  bool OnPanelClose();
  // Paints now what control operations changed since the last pump.
  bool RepaintChangedControls();
  void MarkChanged(QWidget* widget);
  // Shows or hides the wait cursor, the spinner and the flash work strip as
  // the work and the questions up call for.
  void ShowBusySigns();

  // Held while an operation of the dialog's shows, hides, enables or
  // destroys widgets: the focus Qt moves meanwhile is not the operator's, and
  // a control it lands on gives it up again (disabling the focused control
  // leaves the focus nowhere, as on the controller).
  class QuietFocus {
   public:
    explicit QuietFocus(QtDialogBackend& backend);
    ~QuietFocus();

   private:
    QtDialogBackend& backend_;
    QPointer<QWidget> before_;
  };

  PanelWidget* panel_;
  FocusWatcher* focusWatcher_;
  BusySign* busySign_;
  QWidget* flashWorkCover_ = nullptr;
  int quietFocus_ = 0;
  Files* files_ = nullptr;
  std::function<void(QWidget*)> modalHook_;
  std::map<WindowHandle, std::unique_ptr<Window>> windows_;
  std::map<std::pair<WindowHandle, std::uintptr_t>, QTimer*> timers_;
  std::map<ImageHandle, int> images_;
  std::map<ImageListHandle, ImageList> imageLists_;
  std::vector<QEventLoop*> loops_;  // every nested loop running, innermost last
  std::vector<QPointer<QWidget>> changed_;
  std::vector<QPointer<QWidget>> destroyed_;
  WindowHandle nextWindow_ = 0x100;
  ImageHandle nextImage_ = 0x1000;
  ImageListHandle nextImageList_ = 0x2000;
  TreeItemHandle nextTreeItem_ = 0x10000;
  WindowHandle focusWindow_ = 0;
  int focusControl_ = 0;
  int openDialogs_ = 0;  // message boxes and file dialogs up
  bool waitCursor_ = false;    // as the dialogs set it
  bool busyCursorOn_ = false;  // the override cursor and the spinner shown
  // A question asked during the work ended the busy signs; they come back
  // when the work goes on after it (its next pump, a RestoreWaitCursor).
  bool busyMadeWay_ = false;
  bool shuttingDown_ = false;
};

}  // namespace talvon::qt
