// View options of the preview: "A&uto Zoom", "&Look Buffer" and "&Tile".
// None of them runs the program: they show the last finished picture.  The zoom
// scroll bar shares the window's horizontal-scroll handler
// (parameter_panel.cpp).
#include <QCheckBox>
#include <QScrollBar>

#include "ui/main_dialog.h"

using namespace mottler;

void CMottlerDlg::autoZoom() {
  zoom = preview::autoZoomFor(engine_->width, engine_->height);
  redrawOnly = true;
  forceRedraw = true;
  generate();
  showModel();
}

// The buffer or the texture of the last finished run; as before, with "Auto
// Generate" off the preview changes at the next forced redraw.
void CMottlerDlg::onLookBufferClicked() {
  redrawOnly = true;
  generate();
}

// The texture repeated 3 x 3 at a size where the whole tiling fits, so that
// the seams and the repetition show.
void CMottlerDlg::onTileClicked() {
  redrawOnly = true;
  forceRedraw = true;
  generate();
}
