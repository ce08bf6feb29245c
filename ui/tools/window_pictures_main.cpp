// mottler-window-pictures: saves the pictures of the window that the manual
// shows, made with the real window on Qt's offscreen platform:
//   mottler-window-pictures HELPDIR
// reads HELPDIR/samples/first-program.mlr and writes into HELPDIR/images/:
//   window-start.png          the window as it opens
//   window-plasma.png         "Plasma" chosen in the command tree
//   window-first-program.png  the manual's first program opened
//   new-dialog.png            the "New" dialog
//   close-up.png              View > "Close-up" of the first program at x4
//   export-size-dialog.png    the "Export at Size" dialog for the first program
// Any question the window would ask is answered by a script, so nothing
// waits for a user; a program that does not open is an error.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QTreeWidget>
#include <cstdio>

#include "document/program_file.h"
#include "ui/close_up_view.h"
#include "ui/control_ids.h"
#include "ui/dialogs/export_size_dialog.h"
#include "ui/dialogs/new_texture_dialog.h"
#include "ui/dialogs/scripted_dialog_seam.h"
#include "ui/main_dialog.h"

using namespace mottler::ui;

namespace {

bool save(QWidget& window, const QDir& images, const char* name) {
  window.show();
  // The picture of the program's run, once the run has finished.
  if (auto* main = qobject_cast<CMottlerDlg*>(&window)) main->waitUntilIdle();
  QApplication::processEvents();
  const QString file = images.filePath(QString::fromLatin1(name));
  if (window.grab().save(file)) return true;
  std::fprintf(stderr, "mottler-window-pictures: cannot write %s\n", qPrintable(file));
  return false;
}

void choose(CMottlerDlg& window, const QString& command) {
  auto* tree = window.control<QTreeWidget>(IdTree);
  const auto found = tree->findItems(command, Qt::MatchExactly | Qt::MatchRecursive);
  if (!found.isEmpty()) tree->setCurrentItem(found.first());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fputs("Usage: mottler-window-pictures HELPDIR\n", stderr);
    return 2;
  }
  const QDir help(QString::fromLocal8Bit(argv[1]));
  const QDir images(help.filePath(QStringLiteral("images")));
  if (!help.mkpath(QStringLiteral("images"))) {
    std::fprintf(stderr, "mottler-window-pictures: cannot make %s\n", qPrintable(images.path()));
    return 1;
  }
  ScriptedDialogSeam seam;

  {
    CMottlerDlg window;
    if (!save(window, images, "window-start.png")) return 1;
    choose(window, QStringLiteral("Plasma"));
    if (!save(window, images, "window-plasma.png")) return 1;
  }
  {
    CMottlerDlg window;
    const QString program = help.filePath(QStringLiteral("samples/first-program.mlr"));
    if (!window.openStartupDocument(program)) {
      std::fprintf(stderr, "mottler-window-pictures: cannot open %s\n", qPrintable(program));
      return 1;
    }
    // The second command selected, so the controls show its parameters; the
    // status line names the file without the build folder's path, which
    // would mean nothing to a reader.
    window.control<QListWidget>(IdList)->setCurrentRow(1);
    window.setStatusText(QStringLiteral(" first-program.mlr loaded"));
    if (!save(window, images, "window-first-program.png")) return 1;

    window.menuCommand(IdViewCloseUp)->trigger();
    QCoreApplication::sendPostedEvents();
    CloseUpView* closeUp = window.closeUp();
    closeUp->resize(560, 440);
    closeUp->setScale(4);
    closeUp->waitUntilRendered();
    QApplication::processEvents();
    if (!save(*closeUp, images, "close-up.png")) return 1;
    closeUp->close();

    // The sizes with their estimates, once the design-size run has been timed.
    mottler::ProgramDocument doc;
    mottler::readProgramFile(program.toStdString(), doc);
    CExportSizeDlg dialog({doc.entries, doc.seed, doc.width, doc.height},
                          QDir::homePath() + QStringLiteral("/first-program"));
    dialog.show();
    while (dialog.sizeBox()->itemText(0).contains(QStringLiteral("estimating")))
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    dialog.sizeBox()->setCurrentIndex(2);
    if (!save(dialog, images, "export-size-dialog.png")) return 1;
  }
  {
    CNewTextureDlg dialog(QDir::homePath() + QLatin1Char('/'));
    if (!save(dialog, images, "new-dialog.png")) return 1;
  }
  return 0;
}
