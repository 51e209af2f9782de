// The artwork as pixmaps, rendered from the SVGs at the size they are shown.
#pragma once
#include <QPixmap>
#include <QSize>

namespace talvon::qt {

// The artwork's own pixel size times factor (at least 1 x 1); an empty size
// for an id without artwork.
QSize ArtworkSize(int id, double factor);

// The picture of a bitmap or icon id drawn at `size` logical pixels, sharp on
// a screen with this device pixel ratio. Rendered once per size and kept.
// A null pixmap for an id without artwork.
QPixmap ArtworkPixmap(int id, QSize size, qreal devicePixelRatio = 1.0);

}  // namespace talvon::qt
