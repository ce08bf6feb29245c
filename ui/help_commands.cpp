// Commands of the Help menu.  Placeholders until the help pages and the
// secondary dialogs are built.
#include "ui/main_dialog.h"

void CMottlerDlg::showHelp() {}

void CMottlerDlg::openWebPage() {}

void CMottlerDlg::showAbout() {}
