#include "ui/artwork.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include <algorithm>
#include <functional>
#include <iterator>
#include <utility>

// The artwork is compiled into the static library's resources, which must be
// registered before the first use (also by tools that open no window).
static void registerArtwork() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(mottler);
    return true;
  }();
  (void)registered;
}

namespace mottler::ui {

namespace {

constexpr int kLargestWindowIconSize = 128;

// Draws a picture into a rectangle; the picture scales to any size.
using Drawing = std::function<void(QPainter&, const QRectF&)>;

// An icon drawn afresh at whatever size and screen scale it is shown at, so
// it stays sharp at 200 % as at 100 %.
class DrawnIcon : public QIconEngine {
 public:
  explicit DrawnIcon(Drawing draw, QList<QSize> sizes = {}) : draw_(std::move(draw)), sizes_(std::move(sizes)) {}

  // The sizes a window system that wants a list of pictures is given.
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return sizes_; }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal scale = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    painter->drawPixmap(rect, scaledPixmap(rect.size() * scale, mode, state, scale));
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1.0);
  }

  // size is in device pixels already: the logical size times the scale.
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
    const QSize pixels = size;
    QPixmap pixmap(pixels);
    pixmap.fill(Qt::transparent);
    {
      QPainter p(&pixmap);
      p.setRenderHint(QPainter::Antialiasing);
      draw_(p, QRectF(QPointF(0, 0), QSizeF(pixels)));
    }
    pixmap.setDevicePixelRatio(scale);
    // A disabled control shows the picture greyed, as the style greys it.
    if (mode != QIcon::Normal && qApp != nullptr) {
      QStyleOption option;
      option.palette = QApplication::palette();
      return QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
    }
    return pixmap;
  }

  QIconEngine* clone() const override { return new DrawnIcon(draw_, sizes_); }
  QString key() const override { return QStringLiteral("mottler-drawn"); }

 private:
  Drawing draw_;
  QList<QSize> sizes_;
};

// A picture made for a 16 x 16 square, drawn scaled into any rectangle.
Drawing onSixteenGrid(void (*paint)(QPainter&)) {
  return [paint](QPainter& p, const QRectF& r) {
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width() / kStripImageSize, r.height() / kStripImageSize);
    paint(p);
    p.restore();
  };
}

void paintArrow(QPainter& p, bool up) {
  QPolygonF arrow;
  if (up) {
    arrow << QPointF(8, 2.5) << QPointF(14, 9) << QPointF(10.5, 9) << QPointF(10.5, 13.5)
          << QPointF(5.5, 13.5) << QPointF(5.5, 9) << QPointF(2, 9);
  } else {
    arrow << QPointF(8, 13.5) << QPointF(14, 7) << QPointF(10.5, 7) << QPointF(10.5, 2.5)
          << QPointF(5.5, 2.5) << QPointF(5.5, 7) << QPointF(2, 7);
  }
  p.setPen(QPen(QColor(0x1f, 0x3a, 0x5a), 1.0));
  p.setBrush(QColor(0x3f, 0x7f, 0xbf));
  p.drawPolygon(arrow);
}

void drawUpArrow(QPainter& p) { paintArrow(p, true); }
void drawDownArrow(QPainter& p) { paintArrow(p, false); }

void drawGenerateImage(QPainter& p) {   // three overlapping colour dots
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf2, 0xa5, 0x41));
  p.drawEllipse(QRectF(1.5, 1.5, 8, 8));
  p.setBrush(QColor(0x4f, 0xa3, 0xd9, 220));
  p.drawEllipse(QRectF(6.5, 4.5, 8, 8));
  p.setBrush(QColor(0xe8, 0x5d, 0x75, 220));
  p.drawEllipse(QRectF(2.5, 7, 7, 7));
}

void drawDeformImage(QPainter& p) {     // a bent grid
  p.setPen(QPen(QColor(0x2e, 0x7d, 0x5b), 1.4));
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < 3; ++i) {
    QPainterPath wave;
    const qreal y = 3.5 + i * 4.5;
    wave.moveTo(1, y);
    wave.cubicTo(5, y - 3, 10, y + 3, 15, y);
    p.drawPath(wave);
  }
}

void drawFilterImage(QPainter& p) {     // a funnel
  QPolygonF funnel;
  funnel << QPointF(1.5, 2) << QPointF(14.5, 2) << QPointF(9.5, 8.5) << QPointF(9.5, 14)
         << QPointF(6.5, 12.5) << QPointF(6.5, 8.5);
  p.setPen(QPen(QColor(0x5a, 0x4a, 0x1f), 1.0));
  p.setBrush(QColor(0xd9, 0xb8, 0x4f));
  p.drawPolygon(funnel);
}

void drawBufferImage(QPainter& p) {     // two stacked sheets
  p.setPen(QPen(QColor(0x44, 0x44, 0x55), 1.0));
  p.setBrush(QColor(0xb8, 0xc4, 0xd9));
  p.drawRect(QRectF(5.5, 1.5, 9, 9));
  p.setBrush(QColor(0x7a, 0x8f, 0xb8));
  p.drawRect(QRectF(1.5, 5.5, 9, 9));
}

void drawAdjustImage(QPainter& p) {     // a half-filled colour wheel
  QConicalGradient wheel(QPointF(8, 8), 90);
  wheel.setColorAt(0.0, Qt::red);
  wheel.setColorAt(0.33, Qt::green);
  wheel.setColorAt(0.66, Qt::blue);
  wheel.setColorAt(1.0, Qt::red);
  p.setPen(QPen(QColor(0x33, 0x33, 0x33), 1.0));
  p.setBrush(wheel);
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  p.setBrush(QColor(255, 255, 255, 170));
  p.setPen(Qt::NoPen);
  p.drawPie(QRectF(1.5, 1.5, 13, 13), 90 * 16, 180 * 16);
}

void drawRedCross(QPainter& p) {
  p.setPen(QPen(QColor(0xc8, 0x10, 0x10), 3.0, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
  p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

// The pictures of the strip, in image order.
void (*const kStripPainters[])(QPainter&) = {drawGenerateImage, drawDeformImage, drawFilterImage,
                                             drawBufferImage,   drawAdjustImage, drawRedCross};
constexpr int kDrawnImages = static_cast<int>(std::size(kStripPainters));

QPixmap drawStrip() {
  QPixmap strip(kStripImageSize * kStripImageCount, kStripImageSize);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  for (int i = 0; i < kDrawnImages; ++i) {
    p.save();
    p.translate(i * kStripImageSize, 0);
    kStripPainters[i](p);
    p.restore();
  }
  return strip;
}

}  // namespace

QImage renderApplicationIcon(int size) {
  // The artwork is the SVG file that is also installed for the desktop; the
  // installed PNGs are made by this same function at build time.
  registerArtwork();
  static QSvgRenderer renderer(QStringLiteral(":/mottler/icons/mottler.svg"));
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  renderer.render(&p, QRectF(0, 0, size, size));
  return image;
}

QIcon applicationIcon() {
  // Drawn from the SVG artwork at whatever size and scale it is shown at.
  // The sizes offered to a window system that takes a list of pictures
  // (each drawn at the screen's scale); the largest would not fit one
  // request at 400 %, and the desktop's own icon comes from the icon theme.
  QList<QSize> sizes;
  for (int size : kApplicationIconSizes)
    if (size <= kLargestWindowIconSize) sizes.append(QSize(size, size));
  return QIcon(new DrawnIcon(
      [](QPainter& p, const QRectF& r) {
        const QImage image = renderApplicationIcon(static_cast<int>(std::min(r.width(), r.height())));
        p.drawImage(r.topLeft(), image);
      },
      sizes));
}

QIcon upIcon() { return QIcon(new DrawnIcon(onSixteenGrid(drawUpArrow))); }
QIcon downIcon() { return QIcon(new DrawnIcon(onSixteenGrid(drawDownArrow))); }

const QPixmap& commandStrip() {
  static const QPixmap strip = drawStrip();
  return strip;
}

QIcon stripImage(int index) {
  if (index >= 0 && index < kDrawnImages) return QIcon(new DrawnIcon(onSixteenGrid(kStripPainters[index])));
  return QIcon(commandStrip().copy(index * kStripImageSize, 0, kStripImageSize, kStripImageSize));
}

}  // namespace mottler::ui
