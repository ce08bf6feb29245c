// Saves a picture of the main window as a user would see it after composing
// a small program:
//   screenshot OUT.png              the window alone, at its default size
//   screenshot --screen OUT.png     the whole screen with the window opened
//                                   as the application opens it
//   screenshot --size WxH OUT.png   the window alone, resized to W x H
//   screenshot --variations OUT.png the View > Variations grid
//   screenshot --close-up S OUT.png the View > Close-up at scale S
//   screenshot --tile ... OUT.png   with "Tile" ticked (before the other option;
//                                   with --close-up, in the close-up too)
// With --screen it also tells where the window and its controls are, and
// fails when any control is outside the screen's available area.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/control_ids.h"
#include "ui/main_dialog.h"
#include "ui/close_up_view.h"
#include "ui/variations_view.h"

using namespace mottler::ui;

namespace {

void choose(CMottlerDlg& dlg, const QString& name) {
  auto* tree = dlg.control<QTreeWidget>(IdTree);
  const QList<QTreeWidgetItem*> found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
  if (!found.isEmpty()) tree->setCurrentItem(found.first());
}

// Every control of the window on the screen's available area.
bool everyControlOnScreen(CMottlerDlg& dlg) {
  const QRect available = dlg.screen()->availableGeometry();
  std::printf("screen %dx%d (available %d,%d %dx%d), scale %.2f\n", dlg.screen()->geometry().width(),
              dlg.screen()->geometry().height(), available.x(), available.y(), available.width(),
              available.height(), dlg.devicePixelRatioF());
  std::printf("window %d,%d %dx%d\n", dlg.frameGeometry().x(), dlg.frameGeometry().y(),
              dlg.frameGeometry().width(), dlg.frameGeometry().height());
  bool ok = available.contains(dlg.frameGeometry());
  for (QWidget* w : dlg.findChildren<QWidget*>()) {
    bool numbered = false;
    w->objectName().toInt(&numbered);
    if (!numbered || !w->isVisibleTo(&dlg)) continue;
    const QRect global(w->mapToGlobal(QPoint(0, 0)), w->size());
    if (!available.contains(global)) {
      // A control outside the window's visible part must be reachable by
      // scrolling: it counts as reachable only within the scroll area.
      std::printf("control %s at %d,%d %dx%d is outside the screen\n", qPrintable(w->objectName()),
                  global.x(), global.y(), global.width(), global.height());
      ok = false;
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  bool wholeScreen = false;
  bool variations = false;
  bool tile = false;
  int closeUpScale = 0;
  QSize size;
  int arg = 1;
  for (; arg < argc - 1; ++arg) {
    if (std::strcmp(argv[arg], "--screen") == 0) {
      wholeScreen = true;
    } else if (std::strcmp(argv[arg], "--tile") == 0) {
      tile = true;
    } else if (std::strcmp(argv[arg], "--variations") == 0) {
      variations = true;
    } else if (std::strcmp(argv[arg], "--close-up") == 0 && arg + 1 < argc - 1) {
      closeUpScale = std::atoi(argv[++arg]);
    } else if (std::strcmp(argv[arg], "--size") == 0 && arg + 1 < argc - 1) {
      int w = 0;
      int h = 0;
      if (std::sscanf(argv[++arg], "%dx%d", &w, &h) == 2) size = QSize(w, h);
    }
  }
  if (arg != argc - 1) {
    std::fprintf(stderr, "usage: screenshot [--tile] [--screen | --size WxH | --variations | --close-up S] OUT.png\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[arg]);
  CMottlerDlg dlg;
  if (size.isValid()) dlg.resize(size);
  dlg.show();
  choose(dlg, QStringLiteral("Plasma"));
  dlg.control<QPushButton>(IdAdd)->click();
  choose(dlg, QStringLiteral("Twirl"));
  dlg.control<QPushButton>(IdAdd)->click();
  choose(dlg, QStringLiteral("Blobs"));
  dlg.waitUntilIdle();
  if (tile) dlg.control<QCheckBox>(IdTile)->click();
  for (int i = 0; i < 20; ++i) app.processEvents();
  bool ok = true;
  QPixmap shot;
  if (variations) {
    dlg.menuCommand(IdViewVariations)->trigger();
    QCoreApplication::sendPostedEvents();
    dlg.variations()->waitUntilRendered();
    for (int i = 0; i < 20; ++i) app.processEvents();
    shot = dlg.variations()->grab();
  } else if (closeUpScale > 0) {
    dlg.menuCommand(IdViewCloseUp)->trigger();
    QCoreApplication::sendPostedEvents();
    dlg.closeUp()->setScale(closeUpScale);
    dlg.closeUp()->waitUntilRendered();
    if (tile) dlg.closeUp()->tileBox()->click();
    for (int i = 0; i < 20; ++i) app.processEvents();
    shot = dlg.closeUp()->grab();
  } else if (wholeScreen) {
    ok = everyControlOnScreen(dlg);
    shot = dlg.screen()->grabWindow(0);
  } else {
    shot = dlg.grab();
  }
  if (!shot.save(out)) {
    std::fprintf(stderr, "screenshot: cannot write %s\n", argv[arg]);
    return 1;
  }
  return ok ? 0 : 1;
}
