#include "ui/preview_control.h"

#include <QPainter>

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
}

void PreviewControl::paintEvent(QPaintEvent*) {
  // Painting redraws the preview from the planes as they are (never runs the
  // program); during a run the last finished picture is shown as it is.
  emit pictureNeeded();
  QPainter painter(this);
  painter.drawImage(0, 0, image_);
}
