// Runs the application's tests inside one QApplication on Qt's offscreen
// platform, so no display is needed.  A scripted dialog seam answers every
// question no test has scripted (file dialogs and the "New" dialog are
// cancelled, message boxes get OK or Cancel), so no dialog ever waits for a
// user.
#include <QApplication>

#include <gtest/gtest.h>

#include "ui/dialogs/scripted_dialog_seam.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  mottler::ui::ScriptedDialogSeam unattended;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
