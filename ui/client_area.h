// The main window's client area, built from its layout description.
#pragma once

#include <QFont>

#include "ui/dialog_template.h"
#include "ui/window_layout.h"

namespace mottler::ui {

// Every control of the description, at its place for the font (the preview
// takes its whole bitmap, and the controls beside and below it make room),
// named by its identifier, and placed so that it follows the window as it
// grows.
GrowingClient* buildClientArea(const DialogTemplate& layout, const QFont& font, QWidget* parent);

}  // namespace mottler::ui
