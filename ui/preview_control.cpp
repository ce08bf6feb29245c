#include "ui/preview_control.h"

#include <QPainter>
#include <algorithm>

#include "document/preview.h"

PreviewControl::PreviewControl(QWidget* parent)
    : QWidget(parent), image_(mottler::preview::kSide, mottler::preview::kSide, QImage::Format_RGB32) {
  image_.fill(Qt::black);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewControl::setBitmap(const std::uint32_t* bits) {
  for (int y = 0; y < mottler::preview::kSide; ++y) {
    auto* line = reinterpret_cast<std::uint32_t*>(image_.scanLine(y));
    const std::uint32_t* source = bits + y * mottler::preview::kSide;
    // The bitmap's fourth byte is unused; the image wants it opaque.
    for (int x = 0; x < mottler::preview::kSide; ++x) line[x] = source[x] | 0xFF000000u;
  }
  update();
}

int PreviewControl::scale() const {
  return std::max(1, std::min(width(), height()) / mottler::preview::kSide);
}

QRect PreviewControl::pictureRect() const {
  const int side = mottler::preview::kSide * scale();
  // Centred once there is room around it; at the default size at (0, 0).
  return QRect(std::max(0, (width() - side) / 2), std::max(0, (height() - side) / 2), side, side);
}

void PreviewControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect picture = pictureRect();
  // Room around the enlarged picture shows the window's background.
  const QRegion around = QRegion(rect()) - QRegion(picture);
  for (const QRect& r : around) painter.fillRect(r, palette().window());
  // Nearest neighbour: each bitmap pixel is a square block, never smoothed.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(picture, image_);
}
