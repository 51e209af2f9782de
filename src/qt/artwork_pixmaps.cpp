#include "qt/artwork_pixmaps.h"

#include <QPainter>
#include <QPixmapCache>
#include <QString>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

#include "qt/artwork_catalog.h"
#include "qt/artwork_resources.h"

namespace talvon::qt {

QSize ArtworkSize(int id, double factor) {
  const ArtworkEntry* entry = FindArtwork(id);
  if (entry == nullptr) return QSize();
  return QSize(std::max(1, static_cast<int>(std::lround(entry->width * factor))),
               std::max(1, static_cast<int>(std::lround(entry->height * factor))));
}

QPixmap ArtworkPixmap(int id, QSize size, qreal devicePixelRatio) {
  const ArtworkEntry* entry = FindArtwork(id);
  if (entry == nullptr || size.isEmpty()) return QPixmap();
  const QString key = QStringLiteral("talvon-artwork-%1-%2x%3@%4")
                          .arg(id)
                          .arg(size.width())
                          .arg(size.height())
                          .arg(devicePixelRatio);
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap)) return pixmap;

  RegisterArtworkResources();
  QSvgRenderer renderer(QString::fromUtf8(entry->resource));
  pixmap = QPixmap(size * devicePixelRatio);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  painter.end();
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

}  // namespace talvon::qt
