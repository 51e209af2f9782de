#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/dialog_template.h"
#include "platform/window_messages.h"

namespace talvon {

// The dialog layer's side of one window. A backend delivers everything that
// happens to the window through it, synchronously, on the user-interface
// thread: user input, timers, paint notifications and colour requests.
class DialogWindowSink {
 public:
  virtual ~DialogWindowSink() = default;
  virtual LRESULT OnWindowMessage(const WindowMessage& message) = 0;
};

// Everything a file-open dialog is asked with.
struct FileDialogRequest {
  std::string filter;       // "label|pattern|..." as the framework takes it, e.g. "OSimage Files(*.bin)|*.bin"
  std::uint32_t flags = 0;  // OFN_*
  std::string defaultExtension;
  std::string initialFile;
  std::string initialFolder;  // the folder the dialog opens in (a controller path); empty: the root
};

// Tree item contents, for reading a tree back.
struct TreeItemInfo {
  std::string text;
  int image = 0;
  int selectedImage = 0;
};

struct TrackbarState {
  int minimum = 0;
  int maximum = 100;
  int position = 0;
  int tickFrequency = 1;
  int pageSize = 0;
  int selectionStart = 0;
  int selectionEnd = 0;
};

struct ProgressState {
  int minimum = 0;
  int maximum = 100;
  int position = 0;
  int step = 10;
};

// Where the dialogs of the utility live: in memory (headless, for tests and
// scripted runs) or as real widgets (Qt). A backend builds windows and their
// controls from a DialogTemplate, answers the control operations below, and
// reports what the operator does as messages to the window's sink:
//
//  - a tap on a push button or check box: WM_COMMAND, controlId, BN_CLICKED
//    (an auto check box toggles itself first);
//  - a tap on a picture with SS_NOTIFY: WM_COMMAND, controlId, STN_CLICKED;
//    a picture without SS_NOTIFY, a disabled or a hidden control takes no taps;
//  - an edit receiving the focus: WM_COMMAND, controlId, EN_SETFOCUS (and
//    EN_KILLFOCUS to the edit that had it); a text change: EN_CHANGE;
//  - a combo box selection by the operator: WM_COMMAND, CBN_SELCHANGE;
//  - a tab picked by the operator: the selection changes, then WM_NOTIFY,
//    controlId, TCN_SELCHANGE; the handler's result is ignored;
//  - a tree item picked: the selection changes, then WM_NOTIFY TVN_SELCHANGED;
//  - a trackbar drag: the position changes, WM_HSCROLL with TB_THUMBTRACK
//    and the position while it moves, then TB_THUMBPOSITION (4) and the final
//    position when the thumb is released, then TB_ENDTRACK with position 0;
//    taps on the channel send TB_PAGEUP / TB_PAGEDOWN;
//  - a trackbar being painted (whenever it is shown, moved or redrawn):
//    WM_NOTIFY, controlId, NM_CUSTOMDRAW;
//  - a control about to be drawn: WM_CTLCOLOR with ControlColours holding
//    the defaults; the backend draws with what comes back;
//  - the caption's close box: WM_CLOSE; the caption's OK button: WM_COMMAND
//    IDOK (1);
//  - a timer started with SetTimer falling due: WM_TIMER with its identifier,
//    between other messages, never inside another handler (a late timer is
//    delivered once, not once per period missed).
//
// The dialog layer sends WM_DESTROY itself before it destroys a window. A
// backend never calls into the dialog layer from within an operation below,
// except RunModalLoop, PumpOneMessage and UpdateWindow (which deliver what is
// waiting, paints included), the user-input paths, and MessageBox /
// OpenFileDialog (which run nested loops in a windowed backend).
//
// Coordinates: a window's rectangle is in its parent's client coordinates
// (screen coordinates for top-level windows), in pixels. The backend maps
// dialog units to pixels as it sees fit; the layer never assumes a scale.
// Control identifiers address the first item of the template with that id.
// An operation on a window or control that does not exist does nothing and
// answers 0, false, -1 or an empty text.
class DialogBackend {
 public:
  virtual ~DialogBackend() = default;

  // ---- Windows ----
  // Builds the window and every item of the template (visible or hidden as
  // the style says, with the template's texts, pictures and combo items), as
  // a child of `parent` when the template is a child dialog, else as a
  // top-level window owned by `parent` (0: none). The window itself starts
  // hidden whatever its style: the layer shows it after initialisation.
  virtual WindowHandle CreateDialogWindow(const DialogTemplate& dialogTemplate, WindowHandle parent,
                                          DialogWindowSink& sink) = 0;
  // Removes the window and its controls. No message is sent.
  virtual void DestroyDialogWindow(WindowHandle window) = 0;
  // Runs a modal message loop for the window until EndModalLoop is called for
  // it, and answers the result given there. A backend that runs out of input
  // (headless with nothing more to do) answers -1.
  virtual int RunModalLoop(WindowHandle window) = 0;
  virtual void EndModalLoop(WindowHandle window, int result) = 0;

  virtual void ShowWindow(WindowHandle window, int showCommand) = 0;  // SW_SHOW / SW_HIDE
  virtual bool IsWindowVisible(WindowHandle window) = 0;              // the window's own flag
  // SetWindowPos: insertAfter HWND_TOP puts it above its siblings; flags SWP_*.
  virtual void SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                            std::uint32_t flags) = 0;
  virtual Rect GetWindowRect(WindowHandle window) = 0;
  virtual Rect GetClientRect(WindowHandle window) = 0;
  virtual void CenterWindow(WindowHandle window) = 0;
  virtual void SetWindowText(WindowHandle window, std::string_view text) = 0;
  virtual std::string GetWindowText(WindowHandle window) = 0;
  // Loads an icon resource (by its number) and sets a window's icons.
  virtual ImageHandle LoadIconResource(int resourceId) = 0;
  virtual void SetWindowIcon(WindowHandle window, ImageHandle icon, int iconSize) = 0;  // ICON_BIG / ICON_SMALL
  // Marks the window for repainting; UpdateWindow repaints what is marked at once.
  virtual void InvalidateWindow(WindowHandle window, bool erase) = 0;
  virtual void UpdateWindow(WindowHandle window) = 0;
  // A periodic timer of the window, delivered as WM_TIMER. Starting a timer
  // with an identifier in use restarts it. SetTimer answers the identifier,
  // KillTimer false when no such timer runs.
  virtual std::uintptr_t SetTimer(WindowHandle window, std::uintptr_t timerId, std::uint32_t periodMs) = 0;
  virtual bool KillTimer(WindowHandle window, std::uintptr_t timerId) = 0;

  // ---- Any control ----
  virtual bool HasControl(WindowHandle window, int controlId) = 0;
  virtual void SetControlText(WindowHandle window, int controlId, std::string_view text) = 0;
  virtual std::string GetControlText(WindowHandle window, int controlId) = 0;
  virtual void EnableControl(WindowHandle window, int controlId, bool enable) = 0;
  virtual bool IsControlEnabled(WindowHandle window, int controlId) = 0;
  virtual void ShowControl(WindowHandle window, int controlId, bool show) = 0;
  virtual bool IsControlVisible(WindowHandle window, int controlId) = 0;
  virtual void InvalidateControl(WindowHandle window, int controlId, bool erase) = 0;

  // ---- Buttons and edits ----
  virtual void SetCheck(WindowHandle window, int controlId, int state) = 0;  // BST_*
  virtual int GetCheck(WindowHandle window, int controlId) = 0;
  // 0 shows the text in clear; ES_PASSWORD edits start with '*'.
  virtual void SetPasswordChar(WindowHandle window, int controlId, char16_t passwordChar) = 0;
  virtual char16_t GetPasswordChar(WindowHandle window, int controlId) = 0;

  // ---- Pictures ----
  // STM_GETIMAGE / STM_SETIMAGE: the control shows the very picture handed
  // in (shared, not copied); SetControlImage answers the previous one.
  virtual ImageHandle GetControlImage(WindowHandle window, int controlId) = 0;
  virtual ImageHandle SetControlImage(WindowHandle window, int controlId, ImageHandle image) = 0;

  // ---- Combo boxes ----
  virtual int ComboAddString(WindowHandle window, int controlId, std::string_view text) = 0;
  virtual void ComboResetContent(WindowHandle window, int controlId) = 0;
  virtual int ComboGetCount(WindowHandle window, int controlId) = 0;
  virtual std::string ComboGetItemText(WindowHandle window, int controlId, int index) = 0;
  // Answers the new selection, or CB_ERR for an index out of range (which clears it).
  virtual int ComboSetCurSel(WindowHandle window, int controlId, int index) = 0;
  virtual int ComboGetCurSel(WindowHandle window, int controlId) = 0;

  // ---- Trackbars ----
  // Positions are kept within the range; redraw false defers the repaint.
  virtual void TrackbarSetRange(WindowHandle window, int controlId, int minimum, int maximum, bool redraw) = 0;
  virtual void TrackbarSetTickFrequency(WindowHandle window, int controlId, int frequency) = 0;
  virtual int TrackbarSetPageSize(WindowHandle window, int controlId, int pageSize) = 0;  // answers the old one
  virtual void TrackbarSetPosition(WindowHandle window, int controlId, int position, bool redraw) = 0;
  virtual void TrackbarSetSelection(WindowHandle window, int controlId, int start, int end, bool redraw) = 0;
  virtual TrackbarState GetTrackbar(WindowHandle window, int controlId) = 0;

  // ---- Progress bars ----
  virtual int ProgressSetStep(WindowHandle window, int controlId, int step) = 0;                    // PBM_SETSTEP
  virtual void ProgressSetRange(WindowHandle window, int controlId, int minimum, int maximum) = 0;  // PBM_SETRANGE32
  virtual int ProgressSetPosition(WindowHandle window, int controlId, int position) = 0;            // PBM_SETPOS
  virtual int ProgressStepIt(WindowHandle window, int controlId) = 0;
  virtual ProgressState GetProgress(WindowHandle window, int controlId) = 0;

  // ---- Tab controls ----
  // Inserts a text-only item (TCIF_TEXT); answers its index or -1.
  virtual int TabInsertItem(WindowHandle window, int controlId, int index, std::string_view text) = 0;
  virtual int TabGetCurSel(WindowHandle window, int controlId) = 0;             // -1: none
  virtual int TabSetCurSel(WindowHandle window, int controlId, int index) = 0;  // -1: none; answers the previous one
  virtual int TabGetItemCount(WindowHandle window, int controlId) = 0;
  virtual std::string TabGetItemText(WindowHandle window, int controlId, int index) = 0;
  // TCM_GETITEMRECT, in the tab control's client coordinates.
  virtual bool TabGetItemRect(WindowHandle window, int controlId, int index, Rect* rect) = 0;
  // The client rectangle of any control (origin 0, 0).
  virtual Rect GetControlClientRect(WindowHandle window, int controlId) = 0;

  // ---- Tree controls ----
  virtual void TreeSetImageList(WindowHandle window, int controlId, ImageListHandle list) = 0;
  // Inserts as the last child of parent (TVI_ROOT for the root).
  virtual TreeItemHandle TreeInsertItem(WindowHandle window, int controlId, TreeItemHandle parent,
                                        std::string_view text, int image, int selectedImage) = 0;
  virtual void TreeDeleteAllItems(WindowHandle window, int controlId) = 0;
  virtual TreeItemHandle TreeGetSelection(WindowHandle window, int controlId) = 0;
  virtual bool TreeSelectItem(WindowHandle window, int controlId, TreeItemHandle item) = 0;
  virtual TreeItemHandle TreeGetParent(WindowHandle window, int controlId, TreeItemHandle item) = 0;
  virtual TreeItemHandle TreeGetChild(WindowHandle window, int controlId,
                                      TreeItemHandle item) = 0;  // TVI_ROOT: first root item
  virtual TreeItemHandle TreeGetNextSibling(WindowHandle window, int controlId, TreeItemHandle item) = 0;
  virtual bool TreeGetItem(WindowHandle window, int controlId, TreeItemHandle item, TreeItemInfo* info) = 0;

  // ---- Image lists (for trees) ----
  virtual ImageListHandle CreateImageList(int cx, int cy, std::uint32_t flags, int initial, int grow) = 0;
  // Adds a bitmap resource with a mask colour; answers its index or -1.
  virtual int ImageListAddBitmap(ImageListHandle list, int bitmapId, Colour maskColour) = 0;
  virtual void DestroyImageList(ImageListHandle list) = 0;

  // ---- The application ----
  // A message box; returns when answered: IDOK, IDCANCEL, IDYES or IDNO.
  // owner 0 is an application-level box.
  virtual int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption, std::uint32_t style) = 0;
  // The file-open dialog: IDOK with the chosen file's full controller path
  // ("\CompactFlash\nk.bin") in *path, or IDCANCEL with *path untouched.
  virtual int OpenFileDialog(WindowHandle owner, const FileDialogRequest& request, std::string* path) = 0;
  // The wait (hourglass) cursor on or off.
  virtual void SetWaitCursor(bool wait) = 0;
  // Dispatches at most one waiting message (posted, paint or due timer) and
  // never waits. true when one was dispatched.
  virtual bool PumpOneMessage() = 0;

  // ---- Flash work ----
  // What the operator does (taps, selections, closing a window) reaches the
  // dialogs only when the gate lets it; message boxes and file dialogs
  // answer regardless. The utility closes the gate while flash work runs.
  using InputGate = std::function<bool(const WindowMessage& message)>;
  void SetInputGate(InputGate gate) { inputGate_ = std::move(gate); }
  bool InputAllowed(const WindowMessage& message) const { return !inputGate_ || inputGate_(message); }
  // Tells the operator what the flash work under way is ("" once it ends);
  // a windowed backend also keeps the windows beneath from taking taps.
  virtual void ShowFlashWork(std::string_view doing) { (void)doing; }

 private:
  InputGate inputGate_;
};

}  // namespace talvon
