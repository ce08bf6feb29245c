// View options of the preview: "A&uto Zoom" and "&Look Buffer".  The zoom
// scroll bar shares the window's horizontal-scroll handler
// (parameter_panel.cpp).
#include <QCheckBox>
#include <QScrollBar>

#include "ui/main_dialog.h"

using namespace mottler;

void CMottlerDlg::autoZoom() {
  zoom = preview::autoZoomFor(engine_->width, engine_->height);
  zoomBar_->setValue(zoom);
  zoomText = QStringLiteral("%1 %").arg(zoom);
  redrawOnly = true;
  forceRedraw = true;
  generate();
  updateControls();
}

void CMottlerDlg::onLookBufferClicked() { generate(); }
