#include "qt/artwork_catalog.h"
#include "qt/artwork_resources.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace talvon::qt {
namespace {

// Every bitmap and icon id the dialog templates name, with the pixel size
// the templates were laid out for.
struct NamedPicture {
  int id;
  int width;
  int height;
};

constexpr NamedPicture kTemplatePictures[] = {
    {128, 32, 32},                                                   // application icon
    {188, 256, 256}, {189, 48, 48}, {190, 48, 48}, {191, 48, 48},    // home screen
    {192, 48, 48},   {194, 215, 39}, {195, 204, 39},
    {196, 32, 32},   {213, 682, 60}, {214, 32, 32},                  // sheets
    {163, 128, 128},                                                 // update page
    {140, 143, 129}, {141, 143, 129}, {142, 143, 129}, {143, 143, 129},  // general page
    {233, 90, 90},   {312, 24, 24},   {313, 24, 24},
    {242, 32, 32},   {269, 32, 32},   {277, 32, 32},  {279, 32, 32},  // new card tree
    {280, 32, 32},   {281, 32, 32},   {282, 32, 32},  {283, 32, 32},
    {284, 32, 32},   {285, 32, 32},   {295, 32, 32},  {296, 32, 32},
    {297, 32, 32},   {298, 32, 32},   {299, 32, 32},  {300, 32, 32},
    {301, 32, 32},   {302, 32, 32},   {303, 32, 32},  {304, 32, 32},
    {231, 128, 128},                                                 // server page
    {164, 128, 128},                                                 // auto-run page
};

QImage Render(const ArtworkEntry& entry) {
  RegisterArtworkResources();
  QSvgRenderer renderer(QString::fromUtf8(entry.resource));
  QImage image(entry.width, entry.height, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  renderer.render(&painter);
  painter.end();
  return image;
}

QImage RenderId(int id) {
  const ArtworkEntry* entry = FindArtwork(id);
  return entry != nullptr ? Render(*entry) : QImage();
}

// Collects what the renderer complains about (unsupported elements,
// missing references) while a test runs.
QStringList g_renderer_messages;

void CollectMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type != QtDebugMsg && type != QtInfoMsg) g_renderer_messages << text;
}

TEST(ArtworkCatalog, NamesEveryPictureOfTheTemplatesAtItsSize) {
  for (const NamedPicture& picture : kTemplatePictures) {
    SCOPED_TRACE(picture.id);
    const ArtworkEntry* entry = FindArtwork(picture.id);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->id, picture.id);
    EXPECT_EQ(entry->width, picture.width);
    EXPECT_EQ(entry->height, picture.height);
    const std::string prefix = ":/artwork/" + std::to_string(picture.id) + "_";
    EXPECT_EQ(std::string(entry->resource).rfind(prefix, 0), 0u) << entry->resource;
    EXPECT_NE(std::string(entry->role), "");
  }
}

TEST(ArtworkCatalog, HoldsNothingBeyondTheTemplatesAndNoIdTwice) {
  std::set<int> named;
  for (const NamedPicture& picture : kTemplatePictures) named.insert(picture.id);
  std::set<int> listed;
  for (const ArtworkEntry& entry : AllArtwork()) {
    EXPECT_TRUE(listed.insert(entry.id).second) << "listed twice: " << entry.id;
    EXPECT_TRUE(named.count(entry.id)) << "not named by any template: " << entry.id;
  }
  EXPECT_EQ(listed.size(), named.size());
}

TEST(ArtworkCatalog, UnknownIdsFindNothing) {
  EXPECT_EQ(FindArtwork(0), nullptr);
  EXPECT_EQ(FindArtwork(-196), nullptr);
  EXPECT_EQ(FindArtwork(278), nullptr);  // the gap in the module card range
  EXPECT_EQ(FindArtwork(100000), nullptr);
}

TEST(ArtworkRendering, EveryPictureLoadsCleanlyAtItsOwnSize) {
  RegisterArtworkResources();
  for (const ArtworkEntry& entry : AllArtwork()) {
    SCOPED_TRACE(entry.resource);
    g_renderer_messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(CollectMessage);
    QSvgRenderer renderer(QString::fromUtf8(entry.resource));
    const QImage image = Render(entry);
    qInstallMessageHandler(previous);

    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.defaultSize(), QSize(entry.width, entry.height));
    // A view box equal to the pixel size keeps 1-pixel lines on pixels.
    EXPECT_EQ(renderer.viewBoxF(), QRectF(0, 0, entry.width, entry.height));
    EXPECT_TRUE(g_renderer_messages.isEmpty()) << g_renderer_messages.join("\n").toStdString();
    EXPECT_FALSE(image.isNull());
  }
}

TEST(ArtworkRendering, EveryPictureCoversItsAreaWithDetail) {
  for (const ArtworkEntry& entry : AllArtwork()) {
    SCOPED_TRACE(entry.resource);
    const QImage image = Render(entry);
    int opaque = 0;
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = image.pixel(x, y);
        if (qAlpha(pixel) > 200) ++opaque;
        colours.insert(pixel);
      }
    }
    const int area = image.width() * image.height();
    EXPECT_GT(opaque, area / 10) << "mostly empty";
    EXPECT_GT(colours.size(), 20u) << "flat or blank";
  }
}

// The blink swaps the ball only: each pair of frames must share its socket
// and leave the corners clear, or the button would flash a square.
TEST(ArtworkRendering, BlinkFramesShareTheirGroundAndOnlyTheBallChanges) {
  const QImage black_light = RenderId(189);
  const QImage white_light = RenderId(190);
  const QImage white_dark = RenderId(191);
  const QImage black_dark = RenderId(192);
  for (const QImage* frame : {&black_light, &white_light, &white_dark, &black_dark}) {
    EXPECT_EQ(qAlpha(frame->pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(frame->pixel(47, 47)), 0);
  }
  EXPECT_EQ(black_light.pixel(24, 1), white_light.pixel(24, 1));
  EXPECT_EQ(white_dark.pixel(24, 1), black_dark.pixel(24, 1));
  EXPECT_GT(QColor(black_light.pixel(24, 1)).lightness(), 180);  // light ground
  EXPECT_LT(QColor(white_dark.pixel(24, 1)).lightness(), 90);    // dark ground
  EXPECT_LT(QColor(black_light.pixel(24, 26)).lightness(), 60);  // black ball
  EXPECT_GT(QColor(white_light.pixel(24, 26)).lightness(), 180); // white ball
  EXPECT_GT(QColor(white_dark.pixel(24, 26)).lightness(), 180);
  EXPECT_LT(QColor(black_dark.pixel(24, 26)).lightness(), 60);
}

// The tree tells modules apart by these pictures alone, so an id that
// carries the wrong indicator, badge or ground misleads the operator.
TEST(ArtworkRendering, ModuleCardsShowTheirKindStateAndSelection) {
  struct Card {
    int id;
    bool rs232;
    bool registered;
    bool selected;
  };
  const Card cards[] = {
      {283, true, true, false},   {302, true, true, true},    {282, true, false, false},
      {301, true, false, true},   {285, true, true, false},   {304, true, true, true},
      {284, true, false, false},  {303, true, false, true},   {279, false, true, false},
      {298, false, true, true},   {277, false, false, false}, {297, false, false, true},
      {281, false, true, false},  {300, false, true, true},   {280, false, false, false},
      {299, false, false, true},
  };
  for (const Card& card : cards) {
    SCOPED_TRACE(card.id);
    const QImage image = RenderId(card.id);
    const QColor indicator(image.pixel(16, 5));
    if (card.rs232) {
      EXPECT_GT(indicator.blue(), indicator.red() + 60);
    } else {
      EXPECT_GT(indicator.red(), indicator.blue() + 60);
    }
    const QColor badge(image.pixel(24, 19));
    if (card.registered) {
      EXPECT_GT(badge.green(), badge.red() + 60);
    } else {
      EXPECT_GT(badge.red(), badge.green() + 60);
    }
    const QColor ground = QColor::fromRgba(image.pixel(1, 16));
    if (card.selected) {
      EXPECT_EQ(ground.alpha(), 255);
      EXPECT_GT(ground.blue(), ground.red());
      EXPECT_LT(ground.lightness(), 80);
    } else {
      EXPECT_EQ(ground.alpha(), 0);
    }
  }
  EXPECT_EQ(qAlpha(RenderId(295).pixel(1, 16)), 0);
  EXPECT_EQ(qAlpha(RenderId(296).pixel(1, 16)), 255);
}

// The banners carry their word as text; without the font the plates would
// come out empty.
TEST(ArtworkRendering, BannersCarryLegibleWords) {
  for (int id : {194, 195}) {
    SCOPED_TRACE(id);
    const QImage image = RenderId(id);
    int bright = 0;
    for (int y = 12; y < 28; ++y) {
      for (int x = 40; x < image.width() - 40; ++x) {
        if (QColor(image.pixel(x, y)).lightness() > 220) ++bright;
      }
    }
    EXPECT_GT(bright, 200);
  }
}

}  // namespace
}  // namespace talvon::qt
