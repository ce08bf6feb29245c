#include "ui/mottler_app.h"

#include <QStringList>
#include <QTimer>

#include "ui/main_dialog.h"

CMottlerApp::CMottlerApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Mottler"));
}

bool CMottlerApp::initInstance() {
  CMottlerDlg dialog;
  // "mottler PROGRAM.mlr" opens the program once the window is up.
  const QStringList args = arguments();
  if (args.size() > 1) {
    const QString path = args.at(1);
    QTimer::singleShot(0, &dialog, [&dialog, path] { dialog.openStartupDocument(path); });
  }
  dialog.exec();
  return false;
}
