// F1 in the small dialogs does nothing.
#pragma once

class QWidget;

namespace mottler::ui {

// Makes F1 do nothing in the dialog and all its controls present now: the
// key is taken before any help shortcut of the application sees it.
void ignoreHelpKey(QWidget* dialog);

}  // namespace mottler::ui
