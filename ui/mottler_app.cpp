#include "ui/mottler_app.h"

#include "ui/main_dialog.h"

CMottlerApp::CMottlerApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Mottler"));
}

bool CMottlerApp::initInstance() {
  CMottlerDlg dialog;
  dialog.exec();
  return false;
}
