// Builds the main window's client area from its layout description: every
// control at its place for the dialog font, named by its identifier.
#include "ui/client_area.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

#include "document/preview.h"
#include "ui/artwork.h"
#include "ui/horizontal_scroll_bar.h"
#include "ui/preview_control.h"

namespace mottler::ui {

namespace {

// Room kept between the preview and the controls below it, in pixels.
constexpr int kPreviewGap = 4;

// Grows a control that the font makes taller than its rectangle, keeping it
// centred on the rectangle's middle.
QRect fitHeight(QRect r, int wanted) {
  if (wanted > r.height()) {
    const int centre = r.center().y();
    r.setHeight(wanted);
    r.moveTop(centre - wanted / 2);
  }
  return r;
}

}  // namespace

GrowingClient* buildClientArea(const DialogTemplate& layout, const QFont& font, QWidget* parent) {
  const DialogUnits units = DialogUnits(font).widened(layout.widenPercent);
  auto* client = new GrowingClient(parent);
  QSize clientSize = units.toPixels(layout.units).size();

  // The preview shows the whole 258 x 258 bitmap: where its rectangle is
  // smaller, the preview grows and the controls of the left column below it,
  // or of the columns to its right, move out of its way.
  QRect previewRect;
  QRect treeUnits;
  QRect listUnits;
  int moveDown = 0;
  int moveRight = 0;
  int previewBottomUnits = 0;
  int previewRightUnits = 0;
  for (const ControlTemplate& c : layout.controls) {
    if (c.kind != QLatin1String("preview")) continue;
    const QRect r = units.toPixels(c.units);
    previewRect = QRect(r.topLeft(), QSize(preview::kSide, preview::kSide));
    if (r.width() > preview::kSide) previewRect.moveLeft(r.x() + (r.width() - preview::kSide) / 2);
    if (r.height() > preview::kSide) previewRect.moveTop(r.y() + (r.height() - preview::kSide) / 2);
    previewBottomUnits = c.units.bottom();
    previewRightUnits = c.units.right();
  }
  for (const ControlTemplate& c : layout.controls) {
    if (c.kind == QLatin1String("tree")) treeUnits = c.units;
    if (c.kind == QLatin1String("list")) listUnits = c.units;
  }
  // How each control follows the window as it grows, from where it sits.
  auto anchorOf = [&](const ControlTemplate& c) {
    const QRect& u = c.units;
    if (c.kind == QLatin1String("preview")) return Anchor::Preview;
    if (u.left() <= previewRightUnits) {
      if (u.top() <= previewBottomUnits) return Anchor::Fixed;
      const bool wide = c.kind == QLatin1String("group") || c.kind == QLatin1String("hscroll") ||
                        c.kind == QLatin1String("edit");
      return wide ? Anchor::WideBelowPreview : Anchor::BelowPreview;
    }
    if (u.left() < treeUnits.left() || u.top() < treeUnits.top()) return Anchor::Middle;
    if (c.kind == QLatin1String("tree")) return Anchor::Tree;
    if (c.kind == QLatin1String("list")) return Anchor::List;
    if (u.top() < listUnits.top()) return Anchor::ListCaption;
    return c.kind == QLatin1String("group") ? Anchor::BelowListFrame : Anchor::BelowList;
  };
  for (const ControlTemplate& c : layout.controls) {
    const QRect r = units.toPixels(c.units);
    if (c.units.top() > previewBottomUnits && c.units.left() <= previewRightUnits)
      moveDown = std::max(moveDown, previewRect.bottom() + 1 + kPreviewGap - r.top());
    if (c.units.left() > previewRightUnits && c.units.top() <= previewBottomUnits)
      moveRight = std::max(moveRight, previewRect.right() + 1 + kPreviewGap - r.left());
  }
  clientSize += QSize(moveRight, moveDown);

  for (const ControlTemplate& c : layout.controls) {
    QRect r = units.toPixels(c.units);
    if (c.units.top() > previewBottomUnits && c.units.left() <= previewRightUnits) r.translate(0, moveDown);
    if (c.units.left() > previewRightUnits) r.translate(moveRight, 0);

    QWidget* w = nullptr;
    if (c.kind == QLatin1String("group")) {
      w = new QGroupBox(c.text, client);
    } else if (c.kind == QLatin1String("label") || c.kind == QLatin1String("value")) {
      auto* label = new QLabel(c.text, client);
      if (c.has(QStringLiteral("sunken"))) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      if (c.has(QStringLiteral("centred"))) label->setAlignment(Qt::AlignCenter);
      else label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      r = fitHeight(r, label->fontMetrics().height() + (label->frameWidth() * 2));
      w = label;
    } else if (c.kind == QLatin1String("preview")) {
      r = previewRect;
      w = new PreviewControl(client);
    } else if (c.kind == QLatin1String("hscroll")) {
      auto* bar = new HorizontalScrollBar(client);
      bar->setSingleStep(1);
      bar->setPageStep(10);
      r = fitHeight(r, bar->sizeHint().height());
      w = bar;
    } else if (c.kind == QLatin1String("button") || c.kind == QLatin1String("iconbutton")) {
      auto* button = new QPushButton(client);
      if (c.kind == QLatin1String("button")) button->setText(c.text);
      button->setAccessibleName(QString(c.text).remove(QLatin1Char('&')));
      button->setAutoDefault(false);
      r = fitHeight(r, button->sizeHint().height());
      w = button;
    } else if (c.kind == QLatin1String("check")) {
      auto* box = new QCheckBox(c.text, client);
      box->setChecked(c.has(QStringLiteral("checked")));
      r = fitHeight(r, box->sizeHint().height());
      if (box->sizeHint().width() > r.width()) r.setWidth(box->sizeHint().width());
      w = box;
    } else if (c.kind == QLatin1String("edit")) {
      auto* edit = new QLineEdit(client);
      r = fitHeight(r, edit->sizeHint().height());
      w = edit;
    } else if (c.kind == QLatin1String("combo")) {
      auto* combo = new QComboBox(client);
      // The template's height is that of the opened list; the box itself
      // takes its natural height.
      r.setHeight(combo->sizeHint().height());
      w = combo;
    } else if (c.kind == QLatin1String("tree")) {
      auto* tree = new QTreeWidget(client);
      tree->setHeaderHidden(true);
      tree->setRootIsDecorated(true);
      tree->setSelectionMode(QAbstractItemView::SingleSelection);
      // Items, not rows: an item selected through the accessibility
      // interface is then the item meant (row numbers of nested items are
      // not the rows a tree shows).
      tree->setSelectionBehavior(QAbstractItemView::SelectItems);
      tree->setIconSize(QSize(kStripImageSize, kStripImageSize));
      w = tree;
    } else if (c.kind == QLatin1String("list")) {
      auto* list = new QListWidget(client);
      list->setViewMode(QListView::ListMode);
      list->setFlow(QListView::TopToBottom);
      list->setWrapping(true);
      list->setResizeMode(QListView::Adjust);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setIconSize(QSize(kStripImageSize, kStripImageSize));
      w = list;
    } else if (c.kind == QLatin1String("progress")) {
      auto* bar = new QProgressBar(client);
      bar->setTextVisible(false);
      bar->setRange(0, 100);
      bar->setValue(0);
      w = bar;
    }
    if (w == nullptr) continue;
    client->place(w, r, anchorOf(c));
    if (c.id >= 0) w->setObjectName(QString::number(c.id));
    if (c.has(QStringLiteral("disabled"))) w->setEnabled(false);
    if (r.right() + 1 > clientSize.width()) clientSize.setWidth(r.right() + 1);
    if (r.bottom() + 1 > clientSize.height()) clientSize.setHeight(r.bottom() + 1);
  }
  client->setDefaultSize(clientSize);
  return client;
}

}  // namespace mottler::ui
