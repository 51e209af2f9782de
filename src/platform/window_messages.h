#pragma once
#include <cstdint>
#include <optional>

namespace talvon {

// Messages, notifications, styles and flags of the dialog framework, with the
// values the controller's window system gives them. Both dialog backends and
// every screen use these names.

using LRESULT = std::intptr_t;

// A dialog window; 0 is no window.
using WindowHandle = std::uint32_t;
// A picture (bitmap or icon) held by the backend; 0 is no picture.
using ImageHandle = std::uint32_t;
// An image list for a tree control; 0 is none.
using ImageListHandle = std::uint32_t;
// A tree item; 0 is none (and, as a parent, the root).
using TreeItemHandle = std::uint32_t;
inline constexpr TreeItemHandle TVI_ROOT = 0;

// 0x00BBGGRR, as COLORREF.
using Colour = std::uint32_t;
constexpr Colour RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

// Messages.
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_CTLCOLOR = 0x0019;
inline constexpr std::uint32_t WM_NOTIFY = 0x004E;
inline constexpr std::uint32_t WM_SETICON = 0x0080;
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_TIMER = 0x0113;
inline constexpr std::uint32_t WM_HSCROLL = 0x0114;

// Command identifiers of the standard dialog buttons.
inline constexpr int IDC_STATIC = -1;

// WM_COMMAND notifications.
inline constexpr int BN_CLICKED = 0;
inline constexpr int STN_CLICKED = 0;
inline constexpr int CBN_SELCHANGE = 1;
inline constexpr int EN_SETFOCUS = 0x0100;
inline constexpr int EN_KILLFOCUS = 0x0200;
inline constexpr int EN_CHANGE = 0x0300;

// WM_NOTIFY codes.
inline constexpr int NM_CUSTOMDRAW = -12;
inline constexpr int TCN_SELCHANGE = -551;
inline constexpr int TVN_SELCHANGED = -451;

// Custom-draw answer: draw as usual.
inline constexpr LRESULT CDRF_DODEFAULT = 0;

// Trackbar scroll codes (WM_HSCROLL).
inline constexpr int TB_LINEUP = 0;
inline constexpr int TB_LINEDOWN = 1;
inline constexpr int TB_PAGEUP = 2;
inline constexpr int TB_PAGEDOWN = 3;
inline constexpr int TB_THUMBPOSITION = 4;  // thumb released at its final position after a drag
inline constexpr int TB_THUMBTRACK = 5;     // thumb being dragged
inline constexpr int TB_TOP = 6;
inline constexpr int TB_BOTTOM = 7;
inline constexpr int TB_ENDTRACK = 8;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;

// SetWindowPos.
inline constexpr WindowHandle HWND_TOP = 0;
inline constexpr std::uint32_t SWP_NOSIZE = 0x0001;
inline constexpr std::uint32_t SWP_NOMOVE = 0x0002;
inline constexpr std::uint32_t SWP_NOZORDER = 0x0004;
inline constexpr std::uint32_t SWP_SHOWWINDOW = 0x0040;
inline constexpr std::uint32_t SWP_HIDEWINDOW = 0x0080;

// WM_SETICON.
inline constexpr int ICON_SMALL = 0;
inline constexpr int ICON_BIG = 1;

// Picture controls (STM_GETIMAGE 0x0173 / STM_SETIMAGE 0x0172).
inline constexpr int IMAGE_BITMAP = 0;

// Check box states.
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;

// Combo box answers.
inline constexpr int CB_ERR = -1;

// Tab control item flags.
inline constexpr std::uint32_t TCIF_TEXT = 0x0001;

// Image list flags.
inline constexpr std::uint32_t ILC_MASK = 0x0001;
inline constexpr std::uint32_t ILC_COLOR32 = 0x0020;

// WM_CTLCOLOR control types.
inline constexpr int CTLCOLOR_EDIT = 1;
inline constexpr int CTLCOLOR_LISTBOX = 2;
inline constexpr int CTLCOLOR_BTN = 3;
inline constexpr int CTLCOLOR_DLG = 4;
inline constexpr int CTLCOLOR_STATIC = 6;

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// File-open dialog flags.
inline constexpr std::uint32_t OFN_PATHMUSTEXIST = 0x0800;
inline constexpr std::uint32_t OFN_FILEMUSTEXIST = 0x1000;

// Window styles.
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_CHILD = 0x40000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_DISABLED = 0x08000000;
inline constexpr std::uint32_t WS_CLIPSIBLINGS = 0x04000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_VSCROLL = 0x00200000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_GROUP = 0x00020000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t DS_SETFONT = 0x00000040;
inline constexpr std::uint32_t DS_MODALFRAME = 0x00000080;

// Button styles.
inline constexpr std::uint32_t BS_PUSHBUTTON = 0x0000;
inline constexpr std::uint32_t BS_AUTOCHECKBOX = 0x0003;
inline constexpr std::uint32_t BS_GROUPBOX = 0x0007;
inline constexpr std::uint32_t BS_CENTER = 0x0300;
inline constexpr std::uint32_t BS_MULTILINE = 0x2000;

// Static styles.
inline constexpr std::uint32_t SS_LEFT = 0x0000;
inline constexpr std::uint32_t SS_CENTER = 0x0001;
inline constexpr std::uint32_t SS_BITMAP = 0x000E;
inline constexpr std::uint32_t SS_NOTIFY = 0x0100;

// Edit styles.
inline constexpr std::uint32_t ES_RIGHT = 0x0002;
inline constexpr std::uint32_t ES_PASSWORD = 0x0020;
inline constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;
inline constexpr std::uint32_t ES_READONLY = 0x0800;

// Combo box styles.
inline constexpr std::uint32_t CBS_DROPDOWN = 0x0002;

// Trackbar styles.
inline constexpr std::uint32_t TBS_AUTOTICKS = 0x0001;
inline constexpr std::uint32_t TBS_TOP = 0x0004;
inline constexpr std::uint32_t TBS_ENABLESELRANGE = 0x0020;

// Progress bar styles.
inline constexpr std::uint32_t PBS_SMOOTH = 0x0001;

// Tree styles.
inline constexpr std::uint32_t TVS_HASBUTTONS = 0x0001;
inline constexpr std::uint32_t TVS_HASLINES = 0x0002;
inline constexpr std::uint32_t TVS_LINESATROOT = 0x0004;

// The colours a control is drawn with, asked of its dialog by WM_CTLCOLOR.
// The backend fills in the defaults (nothing set) before asking; a handler
// changes what it wants.
struct ControlColours {
  int controlType = CTLCOLOR_STATIC;
  std::optional<Colour> textColour;        // unset: the system's text colour
  std::optional<Colour> backgroundColour;  // unset: the system's background
  int backgroundMode = OPAQUE;
  std::optional<Colour> brush;  // the brush returned; unset: the default brush
};

// One message for a dialog, as a backend delivers it.
struct WindowMessage {
  std::uint32_t message = 0;
  // WM_COMMAND, WM_NOTIFY, WM_HSCROLL, WM_CTLCOLOR: the control it comes
  // from or concerns (IDOK / IDCANCEL for the standard commands).
  int controlId = 0;
  // WM_COMMAND and WM_NOTIFY: the notification code; WM_HSCROLL: the scroll code.
  int code = 0;
  // WM_HSCROLL: the thumb position for TB_THUMBTRACK and TB_THUMBPOSITION, else 0.
  int position = 0;
  // WM_TIMER: the timer identifier.
  std::uintptr_t timerId = 0;
  // WM_CTLCOLOR: the colours, filled with the defaults, for the handler to change.
  ControlColours* colours = nullptr;
};

}  // namespace talvon
