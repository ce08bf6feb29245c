#include "ui/mottler_app.h"

#include <QTimer>

#include "ui/main_dialog.h"

CMottlerApp::CMottlerApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Mottler"));
}

bool CMottlerApp::initInstance(const QString& programPath) {
  CMottlerDlg dialog;
  // "mottler PROGRAM.mlr" opens the program once the window is up.
  if (!programPath.isEmpty()) {
    QTimer::singleShot(0, &dialog,
                       [&dialog, programPath] { dialog.openStartupDocument(programPath); });
  }
  dialog.exec();
  return false;
}
