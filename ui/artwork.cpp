#include "ui/artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

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

QPixmap drawArrow(bool up) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
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
  return pixmap;
}

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

QPixmap drawStrip() {
  QPixmap strip(kStripImageSize * kStripImageCount, kStripImageSize);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  void (*const painters[])(QPainter&) = {drawGenerateImage, drawDeformImage, drawFilterImage,
                                         drawBufferImage, drawAdjustImage, drawRedCross};
  for (int i = 0; i < 6; ++i) {
    p.save();
    p.translate(i * kStripImageSize, 0);
    painters[i](p);
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
  // Every size the desktop asks for, up to twice the largest one, so the
  // icon stays crisp at 200 %.
  QIcon icon;
  for (int size : kApplicationIconSizes) icon.addPixmap(QPixmap::fromImage(renderApplicationIcon(size)));
  return icon;
}

QIcon upIcon() { return QIcon(drawArrow(true)); }
QIcon downIcon() { return QIcon(drawArrow(false)); }

const QPixmap& commandStrip() {
  static const QPixmap strip = drawStrip();
  return strip;
}

QIcon stripImage(int index) {
  return QIcon(commandStrip().copy(index * kStripImageSize, 0, kStripImageSize, kStripImageSize));
}

}  // namespace mottler::ui
