// Saves a picture of the main window as a user would see it after composing
// a small program: screenshot OUT.png
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>

#include "ui/control_ids.h"
#include "ui/main_dialog.h"

using namespace mottler::ui;

namespace {

void choose(CMottlerDlg& dlg, const QString& name) {
  auto* tree = dlg.control<QTreeWidget>(IdTree);
  const QList<QTreeWidgetItem*> found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
  if (!found.isEmpty()) tree->setCurrentItem(found.first());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    fprintf(stderr, "usage: screenshot OUT.png\n");
    return 2;
  }
  CMottlerDlg dlg;
  dlg.show();
  choose(dlg, QStringLiteral("Plasma"));
  dlg.control<QPushButton>(IdAdd)->click();
  choose(dlg, QStringLiteral("Twirl"));
  dlg.control<QPushButton>(IdAdd)->click();
  choose(dlg, QStringLiteral("Blobs"));
  dlg.waitUntilIdle();
  app.processEvents();
  const QPixmap shot = dlg.grab();
  if (!shot.save(QString::fromLocal8Bit(argv[1]))) {
    fprintf(stderr, "screenshot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
