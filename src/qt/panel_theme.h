// The look of the panel: one palette, one font family, the Fusion style.
#pragma once
#include <QColor>
#include <QFont>

#include "platform/window_messages.h"

namespace talvon::qt {

// Colours of the panel, in the artwork's palette.
namespace colours {
inline const QColor kDesktop(0x1b, 0x2f, 0x4e);      // behind every window
inline const QColor kFace(0xe9, 0xed, 0xf1);         // dialog and button face
inline const QColor kFaceDark(0xc9, 0xd3, 0xdd);     // pressed, borders' light side
inline const QColor kBorder(0x8a, 0x97, 0xa6);       // frames and group lines
inline const QColor kText(0x14, 0x23, 0x3b);         // ordinary text
inline const QColor kDisabledText(0x8a, 0x97, 0xa6);
inline const QColor kCaptionStart(0x23, 0x40, 0x6a);  // caption bar gradient
inline const QColor kCaptionEnd(0x2c, 0x5a, 0x8c);
inline const QColor kAccent(0x3a, 0x86, 0xd4);        // selection, focus, progress
inline const QColor kAccentLight(0x7d, 0xb8, 0xee);
inline const QColor kField(0xff, 0xff, 0xff);         // edits, trees, lists
}  // namespace colours

// The text font at a pixel size, and the bold one of captions.
QFont PanelFont(int pixels);
QFont CaptionFont(double panelFactor);

// The least height of an item in a combo box's drop-down list, at factor 1.
inline constexpr int kComboItemHeight = 32;

// Sets the panel's style (Fusion with touch-sized sliders, check boxes and
// combo box lists),
// the palette and the default font on the running QApplication, for a panel
// of this factor (1 for 640 x 480). Calling it again changes the factor.
void ApplyPanelTheme(double panelFactor = 1.0);

// The dynamic property of an edit holding its password character (an int,
// 0 for none), which the panel's style draws in place of each character.
inline constexpr char kPasswordCharacterProperty[] = "passwordCharacter";

// A COLORREF (0x00BBGGRR) as a QColor.
QColor ToQColor(Colour colour);

}  // namespace talvon::qt
