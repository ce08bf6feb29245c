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

// The texture repeated 2 x 2 at the current zoom, so that the seams show.
void CMottlerDlg::onTileClicked() {
  redrawOnly = true;
  forceRedraw = true;
  generate();
}
