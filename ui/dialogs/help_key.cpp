#include "ui/dialogs/help_key.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace mottler::ui {

namespace {

class HelpKeyFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress &&
        event->type() != QEvent::KeyRelease)
      return false;
    if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1) return false;
    // Accepting the override keeps shortcuts away; the key press is then eaten.
    event->accept();
    return true;
  }
};

}  // namespace

void ignoreHelpKey(QWidget* dialog) {
  auto* filter = new HelpKeyFilter(dialog);
  dialog->installEventFilter(filter);
  for (QWidget* child : dialog->findChildren<QWidget*>()) child->installEventFilter(filter);
}

}  // namespace mottler::ui
