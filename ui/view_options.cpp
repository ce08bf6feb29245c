// View options of the preview: "A&uto Zoom", "&Look Buffer" and "&Tile".
// None of them runs the program: they show the last finished picture.  The zoom
// scroll bar shares the window's horizontal-scroll handler
// (parameter_panel.cpp).
#include <QCheckBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

#include "ui/main_dialog.h"
#include "ui/close_up_view.h"
#include "ui/variations_view.h"

using namespace mottler;

void CMottlerDlg::autoZoom() {
  zoom_ = preview::autoZoomFor(picture().width, picture().height);
  redrawOnly_ = true;
  forceRedraw_ = true;
  generate();
  showZoom();
}

// The buffer or the texture of the last finished run; as before, with "Auto
// Generate" off the preview changes at the next forced redraw.
void CMottlerDlg::onLookBufferClicked() {
  redrawOnly_ = true;
  generate();
}

// The texture repeated 3 x 3 at a size where the whole tiling fits, so that
// the seams and the repetition show.
void CMottlerDlg::onTileClicked() {
  redrawOnly_ = true;
  forceRedraw_ = true;
  generate();
}

// The grid follows the program: the window hands it the program of every
// run it starts.
void CMottlerDlg::showVariations() {
  if (variations_ == nullptr) {
    variations_ = new ui::VariationsView(this);
    connect(variations_, &ui::VariationsView::seedChosen, this, &CMottlerDlg::onVariationChosen);
  }
  variations_->showProgram(model_.runSlots(), model_.seed(), model_.width(), model_.height());
  variations_->show();
  variations_->raise();
  variations_->activateWindow();
  variations_->cell(kVariationCentre)->setFocus();
}

// A seed chosen in the grid is one step of the undo history, whatever came
// before or after it.
void CMottlerDlg::onVariationChosen(int seed) {
  model_.startGesture();
  apply(model_.setSeed(seed));
  model_.startGesture();
}

// The close-up follows the program too: the window hands it the program of
// every run it starts while it is shown.
void CMottlerDlg::showCloseUp() { showCloseUpAt(closeUp_ != nullptr ? closeUp_->scale() : 2); }

void CMottlerDlg::showCloseUpAt(int scale) {
  if (closeUp_ == nullptr) closeUp_ = new ui::CloseUpView(this);
  // The scale first, so that the first picture is made at it.
  closeUp_->setScale(scale);
  closeUp_->showProgram(model_.runSlots(), model_.seed(), model_.width(), model_.height());
  closeUp_->show();
  closeUp_->raise();
  closeUp_->activateWindow();
  closeUp_->scroller()->setFocus();
}
