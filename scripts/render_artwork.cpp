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

// One picture per row-major cell, each over its name, on a light panel
// colour so both transparent and light artwork stay visible.
int RenderSheet(const QString& out, double scale, const QStringList& paths) {
  const int columns = 6;
  const int label = 16;
  const int gap = 12;
  int cell_w = 0;
  int cell_h = 0;
  for (const QString& path : paths) {
    const QSize size = QSvgRenderer(path).defaultSize() * scale;
    cell_w = std::max(cell_w, size.width());
    cell_h = std::max(cell_h, size.height());
  }
  cell_w = std::max(cell_w, 200);
  const int rows = (static_cast<int>(paths.size()) + columns - 1) / columns;
  QImage sheet(columns * (cell_w + gap) + gap, rows * (cell_h + label + gap) + gap,
               QImage::Format_ARGB32_Premultiplied);
  sheet.fill(QColor(0xee, 0xf1, 0xf5));
  QPainter painter(&sheet);
  QFont font("DejaVu Sans");
  font.setPixelSize(10);
  painter.setFont(font);
  int failures = 0;
  for (int i = 0; i < paths.size(); ++i) {
    g_warned = false;
    QSvgRenderer renderer(paths[i]);
    const int x = gap + (i % columns) * (cell_w + gap);
    const int y = gap + (i / columns) * (cell_h + label + gap);
    const QSize size = renderer.defaultSize() * scale;
    renderer.render(&painter, QRectF(x + (cell_w - size.width()) / 2.0,
                                     y + (cell_h - size.height()) / 2.0,
                                     size.width(), size.height()));
    painter.setPen(QColor(0x1b, 0x25, 0x35));
    painter.drawText(QRect(x, y + cell_h, cell_w, label), Qt::AlignCenter,
                     QFileInfo(paths[i]).completeBaseName());
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
