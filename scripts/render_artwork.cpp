// Renders artwork SVGs to PNG with the same renderer the utility uses
// (QSvgRenderer), so the pictures in docs/ show exactly what the panel shows.
//
//   render_artwork OUTDIR SCALE FILE.svg...
//   render_artwork --sheet OUT.png SCALE FILE.svg...
//
// Each FILE.svg becomes OUTDIR/FILE.png at its declared size times SCALE;
// --sheet instead lays all of them out on one labelled contact sheet.
// Exits non-zero if a file does not load or the renderer complains about it.
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QList>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

bool g_warned = false;

void NoteWarning(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type != QtDebugMsg && type != QtInfoMsg) g_warned = true;
  std::fprintf(stderr, "%s\n", qPrintable(text));
}

// The pictures flow left to right in rows, each over its name, on a light
// panel colour so both transparent and light artwork stay visible.
int RenderSheet(const QString& out, double scale, const QStringList& paths) {
  const int max_width = 1200;
  const int label = 16;
  const int gap = 12;
  const int min_cell = 200;

  struct Cell {
    QRect box;
    QSize size;
  };
  QList<Cell> cells;
  int x = gap;
  int y = gap;
  int row_height = 0;
  int sheet_width = 0;
  for (const QString& path : paths) {
    const QSize size = QSvgRenderer(path).defaultSize() * scale;
    const int cell_w = std::max(size.width(), min_cell);
    if (x > gap && x + cell_w + gap > max_width) {
      x = gap;
      y += row_height + label + gap;
      row_height = 0;
    }
    cells.append({QRect(x, y, cell_w, 0), size});
    row_height = std::max(row_height, size.height());
    x += cell_w + gap;
    sheet_width = std::max(sheet_width, x);
    // Cells of a row share its height, fixed once the row is complete.
    for (Cell& cell : cells) {
      if (cell.box.y() == y) cell.box.setHeight(row_height);
    }
  }
  QImage sheet(sheet_width, y + row_height + label + gap, QImage::Format_ARGB32_Premultiplied);
  sheet.fill(QColor(0xee, 0xf1, 0xf5));
  QPainter painter(&sheet);
  QFont font("DejaVu Sans");
  font.setPixelSize(10);
  painter.setFont(font);
  painter.setPen(QColor(0x1b, 0x25, 0x35));
  int failures = 0;
  for (int i = 0; i < paths.size(); ++i) {
    g_warned = false;
    QSvgRenderer renderer(paths[i]);
    const Cell& cell = cells[i];
    renderer.render(&painter, QRectF(cell.box.x() + (cell.box.width() - cell.size.width()) / 2.0,
                                     cell.box.y() + (cell.box.height() - cell.size.height()) / 2.0,
                                     cell.size.width(), cell.size.height()));
    painter.drawText(QRect(cell.box.x(), cell.box.bottom() + 1, cell.box.width(), label),
                     Qt::AlignCenter, QFileInfo(paths[i]).completeBaseName());
    if (!renderer.isValid() || g_warned) ++failures;
  }
  painter.end();
  if (!sheet.save(out)) ++failures;
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: render_artwork OUTDIR SCALE FILE.svg...\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  qInstallMessageHandler(NoteWarning);

  if (QString::fromLocal8Bit(argv[1]) == "--sheet") {
    if (argc < 5) return 2;
    QStringList paths;
    for (int i = 4; i < argc; ++i) paths << QString::fromLocal8Bit(argv[i]);
    return RenderSheet(QString::fromLocal8Bit(argv[2]), std::atof(argv[3]), paths);
  }

  const QString out_dir = QString::fromLocal8Bit(argv[1]);
  const double scale = std::atof(argv[2]);
  int failures = 0;
  for (int i = 3; i < argc; ++i) {
    const QString path = QString::fromLocal8Bit(argv[i]);
    g_warned = false;
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
      std::fprintf(stderr, "%s: does not load\n", argv[i]);
      ++failures;
      continue;
    }
    const QSize size = renderer.defaultSize() * scale;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    const QString out = out_dir + "/" + QFileInfo(path).completeBaseName() + ".png";
    if (!image.save(out)) {
      std::fprintf(stderr, "%s: cannot write\n", qPrintable(out));
      ++failures;
    }
    if (g_warned) {
      std::fprintf(stderr, "%s: renderer warnings above\n", argv[i]);
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
