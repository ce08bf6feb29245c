// Commands of the Help menu: the manual (also F1), the maker's web page and
// the "About" box.
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/external_links.h"
#include "ui/main_dialog.h"

void CMottlerDlg::showHelp() {
  // From the menu or F1: the manual's front page either way.  A missing
  // manual is reported over this window.
  mottler::ui::showHelp(this);
}

void CMottlerDlg::openWebPage() { mottler::ui::openWebPage(); }

void CMottlerDlg::showAbout() { mottler::ui::showAbout(this); }
