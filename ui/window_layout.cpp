#include "ui/window_layout.h"

#include <algorithm>

namespace mottler::ui {

Growth growthFor(QSize extra) {
  const int width = std::max(extra.width(), 0);
  const int height = std::max(extra.height(), 0);
  Growth g;
  g.preview = std::min(width, height);
  g.rightColumn = width - g.preview;
  g.height = height;
  return g;
}

QRect grownRect(const QRect& base, Anchor anchor, const Growth& g) {
  const int upperHalf = g.height / 2;
  switch (anchor) {
    case Anchor::Fixed:
      return base;
    case Anchor::Preview:
      return base.adjusted(0, 0, g.preview, g.preview);
    case Anchor::BelowPreview:
      return base.translated(0, g.preview);
    case Anchor::WideBelowPreview:
      return base.translated(0, g.preview).adjusted(0, 0, g.preview, 0);
    case Anchor::Middle:
      return base.translated(g.preview, 0);
    case Anchor::Tree:
      return base.translated(g.preview, 0).adjusted(0, 0, g.rightColumn, upperHalf);
    case Anchor::ListCaption:
      return base.translated(g.preview, upperHalf);
    case Anchor::List:
      return base.translated(g.preview, upperHalf).adjusted(0, 0, g.rightColumn, g.height - upperHalf);
    case Anchor::BelowList:
      return base.translated(g.preview + g.rightColumn / 2, g.height);
    case Anchor::BelowListFrame:
      return base.translated(g.preview, g.height).adjusted(0, 0, g.rightColumn, 0);
  }
  return base;
}

QSize fittedWindowSize(QSize wanted, QSize available, QSize frame) {
  return wanted.boundedTo((available - frame).expandedTo(QSize(1, 1)));
}

GrowingClient::GrowingClient(QWidget* parent) : QWidget(parent) {}

void GrowingClient::place(QWidget* control, const QRect& base, Anchor anchor) {
  placed_.push_back({control, base, anchor});
  control->setGeometry(grownRect(base, anchor, growthFor(size() - defaultSize_)));
}

void GrowingClient::setDefaultSize(QSize size) {
  defaultSize_ = size;
  setMinimumSize(size);
  resize(size.expandedTo(this->size()));
  arrange();
}

void GrowingClient::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  arrange();
}

void GrowingClient::arrange() {
  const Growth g = growthFor(size() - defaultSize_);
  for (const Placed& p : placed_) p.control->setGeometry(grownRect(p.base, p.anchor, g));
}

}  // namespace mottler::ui
