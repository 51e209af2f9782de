// Making a control's text fit its rectangle.
#pragma once
#include <QFont>
#include <QSize>
#include <QString>

#include "platform/dialog_template.h"
#include "qt/dialog_scale.h"

namespace talvon::qt {

// Whether text drawn with these Qt::AlignmentFlag / Qt::TextFlag flags
// stays inside box.
bool TextFits(const QFont& font, const QString& text, const QSize& box, int flags);

// The font itself when the text fits; otherwise the same font one pixel
// smaller at a time until it does, but no smaller than minimumPixels.
QFont FitFont(const QFont& font, const QString& text, const QSize& box, int flags, int minimumPixels);

// How far down an item could reach without touching another visible item
// of its template: the top of the nearest item below it that shares some of
// its width, or the bottom of the group box around it, or of the dialog. In
// pixels, in the dialog's client coordinates.
int RoomBelow(const DialogTemplate& dialogTemplate, const DialogItem& item, const DialogScale& scale);

// How far to the right a left-aligned text could reach without touching
// another visible item of its template on its rows: the left of the nearest
// such item, or the right of the group box around it (inside its frame), or
// of the dialog. In pixels, in the dialog's client coordinates.
int RoomRight(const DialogTemplate& dialogTemplate, const DialogItem& item, const DialogScale& scale);

// Where a text's first line goes, in pixels from the dialog's top. A field
// that the template starts a unit or two above the caption on its left (a
// taller box for its value) shares the caption's line, so that caption and
// value read as one row; any other text starts at its own top.
int TextLineTop(const DialogTemplate& dialogTemplate, const DialogItem& item, const DialogScale& scale);

}  // namespace talvon::qt
