// View options of the preview: "A&uto Zoom" and "&Look Buffer".  The zoom
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

void CMottlerDlg::onLookBufferClicked() { generate(); }
